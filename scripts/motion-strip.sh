#!/bin/sh
# Makes the README's picture strip, docs/motion-strip.png: butane turning
# about its central bond, a torsion scan of three frames written here (the
# C-C-C-C dihedral at 180, 60 and -60 degrees), imported by kestrix-import,
# converted by kestrix-cli --glb and drawn by the tests' rasteriser
# (tests/writers/gltf/render.mjs) at three times of the animation: frame 1,
# frame 2, and halfway to frame 3 (0 degrees, a pose no frame gives: in
# between frames the figure turns at its bonds). 960 x 300.
# usage: scripts/motion-strip.sh [BIN_DIR] [OUT.png]
#   BIN_DIR: where kestrix-import and kestrix-cli are (default build/bin)
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$top/build/bin}" && pwd)
out=${2:-$top/docs/motion-strip.png}
here="$top/tests/writers/gltf"
for p in kestrix-import kestrix-cli; do
    if [ ! -x "$bin/$p" ]; then
        echo "motion-strip.sh: no $p in $bin (build first, or name the folder)" >&2
        exit 1
    fi
done
if ! command -v node >/dev/null 2>&1 || [ ! -d "$here/node_modules/three" ]; then
    echo "motion-strip.sh: node and three.js are needed (tests/writers/gltf/setup.sh)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Butane's atoms placed from bond lengths, angles and dihedrals (C-C 1.54,
# C-H 1.09, tetrahedral angles); each frame turns C4 and the hydrogens of C3
# about the C2-C3 bond. The molecule is then set so that the rasteriser's
# view (from 0.45 0.55 1) sees the central bond from the side, a little
# end-on, and the anti frame flat.
awk 'function rad(d) { return d * 3.14159265358979 / 180 }
function place(n, a, b, c, r, angle, dihedral,    bx, by, bz, l, ux, uy, uz, nx, ny, nz, mx, my, mz, dx, dy, dz) {
    # n at r from c, at the angle b-c-n and the dihedral a-b-c-n.
    bx = X[c] - X[b]; by = Y[c] - Y[b]; bz = Z[c] - Z[b]
    l = sqrt(bx * bx + by * by + bz * bz); bx /= l; by /= l; bz /= l
    ux = X[b] - X[a]; uy = Y[b] - Y[a]; uz = Z[b] - Z[a]
    nx = uy * bz - uz * by; ny = uz * bx - ux * bz; nz = ux * by - uy * bx
    l = sqrt(nx * nx + ny * ny + nz * nz); nx /= l; ny /= l; nz /= l
    mx = ny * bz - nz * by; my = nz * bx - nx * bz; mz = nx * by - ny * bx
    dx = -r * cos(rad(angle)); dy = r * sin(rad(angle)) * cos(rad(dihedral)); dz = r * sin(rad(angle)) * sin(rad(dihedral))
    X[n] = X[c] + dx * bx + dy * mx + dz * nx
    Y[n] = Y[c] + dx * by + dy * my + dz * ny
    Z[n] = Z[c] + dx * bz + dy * mz + dz * nz
}
BEGIN {
    # The view: eye e, right r = (0 1 0) x e, up u = e x r. The bond axis a
    # is r tilted toward the eye; the plane of the anti frame holds a and u.
    l = sqrt(0.45 * 0.45 + 0.55 * 0.55 + 1); ex = 0.45 / l; ey = 0.55 / l; ez = 1 / l
    l = sqrt(ez * ez + ex * ex); rx = ez / l; ry = 0; rz = -ex / l
    ux = ey * rz - ez * ry; uy = ez * rx - ex * rz; uz = ex * ry - ey * rx
    ax = rx + 0.6 * ex; ay = ry + 0.6 * ey; az = rz + 0.6 * ez
    l = sqrt(ax * ax + ay * ay + az * az); ax /= l; ay /= l; az /= l
    d = ux * ax + uy * ay + uz * az
    yx = ux - d * ax; yy = uy - d * ay; yz = uz - d * az
    l = sqrt(yx * yx + yy * yy + yz * yz); yx /= l; yy /= l; yz /= l
    zx = ay * yz - az * yy; zy = az * yx - ax * yz; zz = ax * yy - ay * yx
    t = 109.47
    split("180 60 -60", torsion, " ")
    for (f = 1; f <= 3; f++) {
        X[2] = 0; Y[2] = 0; Z[2] = 0
        X[3] = 1.54; Y[3] = 0; Z[3] = 0
        X[1] = 1.54 * cos(rad(t)); Y[1] = 1.54 * sin(rad(t)); Z[1] = 0
        place(4, 1, 2, 3, 1.54, t, torsion[f])
        place(5, 1, 3, 2, 1.09, t, 120); place(6, 1, 3, 2, 1.09, t, -120)
        place(7, 1, 2, 3, 1.09, t, torsion[f] + 120); place(8, 1, 2, 3, 1.09, t, torsion[f] - 120)
        place(9, 3, 2, 1, 1.09, t, 60); place(10, 3, 2, 1, 1.09, t, 180); place(11, 3, 2, 1, 1.09, t, 300)
        place(12, 2, 3, 4, 1.09, t, 60); place(13, 2, 3, 4, 1.09, t, 180); place(14, 2, 3, 4, 1.09, t, 300)
        print 14; print "butane, C1-C2-C3-C4 at " torsion[f] " degrees"
        for (i = 1; i <= 14; i++)
            printf "%s %.6f %.6f %.6f\n", (i <= 4 ? "C" : "H"), X[i] * ax + Y[i] * yx + Z[i] * zx,
                X[i] * ay + Y[i] * yy + Z[i] * zy, X[i] * az + Y[i] * yz + Z[i] * zz
    }
}' >"$work/butane.xyz"
"$bin/kestrix-import" --force -o "$work/butane.krx" "$work/butane.xyz" >/dev/null
"$bin/kestrix-cli" --glb --quiet --force -o "$work/butane.glb" "$work/butane.krx"
# Frame k+1 is at k/24 s: frame 1, frame 2, halfway to frame 3.
(cd "$here" && node render.mjs "$work/butane.glb" "$work/strip.png" --at 0,0.0416667,0.0625) >"$work/log"
cp "$work/strip.png" "$out"
echo "$out: $(wc -c <"$out") bytes; $(sed 's/.*: panels/panels/' "$work/log")"
