#!/bin/sh
# Installs the npm packages of the glTF tests (the Khronos validator and
# three.js) into tests/writers/gltf/node_modules, exactly as package-lock.json gives.
set -e
cd "$(dirname "$0")"
npm ci --no-audit --no-fund
