# Sourced by the set-up scripts: installmissing PACKAGE... installs, with
# apt-get, the Debian packages that are not installed yet, and nothing when
# all are there. Needs root or sudo only when something is missing.
installmissing() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -n "$missing" ] || return 0
    echo "kestrix setup: installing$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}
