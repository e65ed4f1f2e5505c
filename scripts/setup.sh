#!/bin/sh
# Installs what building kestrix's programs needs on a Debian machine, and
# nothing more: a C++17 compiler, CMake, Ninja and the libraries
# kestrix-import reads with (the README lists the same packages). The test
# command installs the rest itself (scripts/setup-tests.sh). Packages already
# there are not installed again.
set -e
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packages.sh"
# zlib, gemmi with PEGTL and pugixml: the libraries kestrix-import reads with.
installmissing cmake ninja-build g++ zlib1g-dev gemmi-dev tao-pegtl-dev libpugixml-dev
