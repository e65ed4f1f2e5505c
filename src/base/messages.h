// The captions that more than one place shows, written once. A caption is
// the sentence of a message box (the text is the thing at fault); the
// desktop program, the console and the jobs show these character for
// character.
#pragma once

#define MSG_CANTOPEN "I can't open this file"
#define MSG_POSERAT "You say that your Poser installation is at"
#define MSG_CANTWRITE "I can't write this file"
#define MSG_CANTREAD "I can't read this file"
#define MSG_OUTOFRANGE "this number is out of range"
#define MSG_NOATOMS "there are no atoms in this file"
#define MSG_BADSUFFIX "bad suffix"
#define MSG_DIDNTWORK "I tried to read this file but it didn't work"
#define MSG_CANTREMEMBER "I can't remember the Poser folder in this file"
#define MSG_NOTASITWAS "this file is not as it was"
#define MSG_EXISTS "this file exists already (use --force to replace it)"
