#!/bin/sh
# The glTF tests' own set-up: the npm packages (the Khronos validator and
# three.js) into tests/writers/gltf/node_modules, exactly as
# package-lock.json gives, and Blender with numpy for the test of the bones
# Blender makes (Debian's blender package; its glTF importer needs numpy).
set -e
cd "$(dirname "$0")"
npm ci --no-audit --no-fund
missing=""
for p in blender python3-numpy; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "kestrix glTF test setup: installing$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo apt-get install -y -q --no-install-recommends $missing
fi
