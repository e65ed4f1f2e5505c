#!/bin/sh
# The animated figure's benchmark: a trajectory of FRAMES frames (default
# 1,000) of a 1,024-atom chain molecule, made up here, through kestrix-import
# and then kestrix-cli --glb, and kestrix-cli --poser (OBJ, CR2 and the
# pose file), each a process of its own, timed by /usr/bin/time: atom-frames
# per second end to end (import and one conversion) and each program's peak
# memory.
#
# usage: bench/motion.sh BIN_DIR [FRAMES]
set -eu
bin=$1
frames=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# kestrix-cli remembers the benchmark's Poser folder here, not in the user's
# settings.
export XDG_CONFIG_HOME="$work/config"
# A zigzag chain of carbons, each frame turned and stretched a little.
awk -v F="$frames" 'BEGIN {
    for (k = 0; k < F; k++) {
        print 1024; print "frame " k + 1
        for (i = 0; i < 1024; i++) {
            a = 0.3 * sin(0.01 * k + 0.1 * i)
            printf "C %.6f %.6f %.6f\n", 1.25 * i, 0.9 * (i % 2) + a, 0.2 * sin(0.05 * i + 0.02 * k)
        }
    }
}' >"$work/trajectory.xyz"
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}
set -- $(measure "$bin/kestrix-import" --force -o "$work/trajectory.krx" "$work/trajectory.xyz")
import_s=$1 import_kb=$2
set -- $(measure "$bin/kestrix-cli" --glb --force -o "$work/trajectory.glb" "$work/trajectory.krx")
glb_s=$1 glb_kb=$2
mkdir "$work/poser"
set -- $(measure "$bin/kestrix-cli" --poser "$work/poser" --force --quiet "$work/trajectory.krx")
poser_s=$1 poser_kb=$2
pz2=$(wc -c <"$work/poser/Runtime/Libraries/Pose/Molecules/trajectory.pz2")
awk -v F="$frames" -v is="$import_s" -v ik="$import_kb" -v gs="$glb_s" -v gk="$glb_kb" \
    -v ps="$poser_s" -v pk="$poser_kb" -v pz="$pz2" \
    -v ks="$(wc -c <"$work/trajectory.krx")" -v gz="$(wc -c <"$work/trajectory.glb")" 'BEGIN {
    n = 1024 * F
    printf "%d frames of 1024 atoms (%d atom-frames)\n", F, n
    printf "kestrix-import: %.2f s, %.1f MB description, peak memory %.1f MB\n", is, ks / 1e6, ik / 1024
    printf "kestrix-cli --glb: %.2f s, %.1f MB file, peak memory %.1f MB\n", gs, gz / 1e6, gk / 1024
    printf "kestrix-cli --poser: %.2f s, %.1f MB pose file, peak memory %.1f MB\n", ps, pz / 1e6, pk / 1024
    printf "end to end, --glb: %.0f atom-frames per second\n", n / (is + gs)
    printf "end to end, --poser: %.0f atom-frames per second\n", n / (is + ps)
}'
