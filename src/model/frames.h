// The frames of a description: further placements of the same atoms, for a
// figure that moves (a conformer set, an ensemble, a trajectory). Frame 1 is
// the atoms as declared; each further frame is given by annotations after
// the atoms, which a reader that does not know them skips as comments:
//   //@ frame K               frame K begins (K = 2, 3, ... in turn)
//   //@ xyz NAME X Y Z ...     NAME's position in that frame, then those of
//                             the atoms declared after NAME, in turn
// A frame must place every atom once. Frames need a description of
// coordinates (readxyz); in angle mode they are ignored with a warning.
#pragma once

// Forgets the frames of an earlier description.
void resetframes();

// Whether an annotation's keyword is one of the frames'.
bool isframeannotation(const char *keyword);

// One frame annotation, tokens after the "//@" (n of them, a trailing
// comment cut off already). Returns 1 when taken, else 0 with *caption and
// *text set to the warning.
int takeframe(char *const *tokens, int n, const char *line, int lineno, const char **caption,
              const char **text);

// Once every line is read: each frame that does not place every atom is
// dropped, reported through warn at the line that began it.
void resolveframes(void (*warn)(const char *text, const char *caption, int lineno));

// Frames in all: 1 for a description without frame annotations.
int framecount();
// The positions of frame k (0-based, 1 <= k < framecount()): x, y, z of
// every atom in table order, as the 32-bit numbers they are kept in (a
// thousand frames of the largest figure take 12 MB: beyond a few megabytes
// they wait in a temporary file). Valid until the next call; null when the
// temporary file cannot be read back.
const float *framepositions(int k);
