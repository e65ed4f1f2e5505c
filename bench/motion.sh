#!/bin/sh
# The animated figure's benchmark: a trajectory of FRAMES frames (default
# 1,000) of a 1,024-atom chain molecule, made up here, through kestrix-import
# and then kestrix-cli --glb, and kestrix-cli --poser (OBJ, CR2 and the
# pose file), each a process of its own, timed by /usr/bin/time: atom-frames
# per second end to end (import and one conversion), each program's CPU time
# (user and system: what the wall time is on an idle machine) and its peak
# memory. Several frame counts run one after the other, to show the peak
# memory does not grow with the frames.
#
# usage: bench/motion.sh BIN_DIR [FRAMES...]
set -eu
bin=$1
shift
[ $# -gt 0 ] || set -- 1000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# kestrix-cli remembers the benchmark's Poser folder here, not in the user's
# settings.
export XDG_CONFIG_HOME="$work/config"
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}
run() {
    frames=$1
    rm -rf "$work/run"
    mkdir "$work/run"
    # A zigzag chain of carbons, each frame turned and stretched a little.
    awk -v F="$frames" 'BEGIN {
        for (k = 0; k < F; k++) {
            print 1024; print "frame " k + 1
            for (i = 0; i < 1024; i++) {
                a = 0.3 * sin(0.01 * k + 0.1 * i)
                printf "C %.6f %.6f %.6f\n", 1.25 * i, 0.9 * (i % 2) + a, 0.2 * sin(0.05 * i + 0.02 * k)
            }
        }
    }' >"$work/run/trajectory.xyz"
    # shellcheck disable=SC2046 # the time, the CPU times and the memory, one word each
    set -- $(measure "$bin/kestrix-import" --force -o "$work/run/trajectory.krx" "$work/run/trajectory.xyz")
    import_s=$1 import_cpu=$(echo "$2 $3" | awk '{ print $1 + $2 }') import_kb=$4
    # shellcheck disable=SC2046 # the time, the CPU times and the memory, one word each
    set -- $(measure "$bin/kestrix-cli" --glb --force -o "$work/run/trajectory.glb" "$work/run/trajectory.krx")
    glb_s=$1 glb_cpu=$(echo "$2 $3" | awk '{ print $1 + $2 }') glb_kb=$4
    # A Runtime folder, so that the folder passes for a Poser installation.
    mkdir -p "$work/run/poser/Runtime"
    # shellcheck disable=SC2046 # the time, the CPU times and the memory, one word each
    set -- $(measure "$bin/kestrix-cli" --poser "$work/run/poser" --force --quiet "$work/run/trajectory.krx")
    poser_s=$1 poser_cpu=$(echo "$2 $3" | awk '{ print $1 + $2 }') poser_kb=$4
    awk -v F="$frames" -v is="$import_s" -v ic="$import_cpu" -v ik="$import_kb" \
        -v gs="$glb_s" -v gc="$glb_cpu" -v gk="$glb_kb" \
        -v ps="$poser_s" -v pc="$poser_cpu" -v pk="$poser_kb" \
        -v xz="$(wc -c <"$work/run/trajectory.xyz")" \
        -v pz="$(wc -c <"$work/run/poser/Runtime/Libraries/Pose/Molecules/trajectory.pz2")" \
        -v ks="$(wc -c <"$work/run/trajectory.krx")" -v gz="$(wc -c <"$work/run/trajectory.glb")" 'BEGIN {
        n = 1024 * F
        printf "%d frames of 1024 atoms (%d atom-frames, %.1f MB XYZ)\n", F, n, xz / 1e6
        printf "kestrix-import: %.2f s (CPU %.2f s), %.1f MB description, peak memory %.1f MB\n", is, ic, ks / 1e6, ik / 1024
        printf "kestrix-cli --glb: %.2f s (CPU %.2f s), %.1f MB file, peak memory %.1f MB\n", gs, gc, gz / 1e6, gk / 1024
        printf "kestrix-cli --poser: %.2f s (CPU %.2f s), %.1f MB pose file, peak memory %.1f MB\n", ps, pc, pz / 1e6, pk / 1024
        printf "end to end, --glb: %.0f atom-frames per second\n", n / (is + gs)
        printf "end to end, --poser: %.0f atom-frames per second\n", n / (is + ps)
    }'
}
for frames in "$@"; do
    run "$frames"
done
