# Sourced by the other scripts: installs the Debian packages the build needs, skipping those already present.
VN_PACKAGES="g++ make cmake pkg-config libgtest-dev libbenchmark-dev zlib1g-dev libexpat1-dev libpcre2-dev clang libclang-rt-dev llvm"

vn_install_deps() {
  local missing=""
  for pkg in $VN_PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $pkg"
    fi
  done
  [ -z "$missing" ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing:$missing"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}
