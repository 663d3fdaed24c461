# Shared by the scripts: the packages the builds need, installed when
# missing (as root) or named (otherwise).

# Debian packages each part needs.
PKGS_LINUX="cmake g++ ninja-build googletest file valgrind python3"
PKGS_FUZZ="clang libclang-rt-14-dev"
PKGS_MINGW="g++-mingw-w64-i686 binutils-mingw-w64-i686"
PKGS_WIN32="$PKGS_MINGW wine wine32:i386 xvfb fonts-wqy-microhei locales"
PKGS_LIBS="nlohmann-json3-dev libbenchmark-dev"
# The release: llvm-dlltool (the Microsoft import library) and llvm-nm; for
# checking the archive, lld-link (with clang) and unzip.
PKGS_RELEASE="llvm lld unzip"

missing_packages() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || printf '%s ' "$p"
  done
}

# ensure_packages PKG...: installs what is missing when root; otherwise says
# what is missing and fails.
ensure_packages() {
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages: $missing" >&2
    echo "install them as root (wine32:i386 needs 'dpkg --add-architecture i386' first)" >&2
    return 1
  fi
  case "$missing" in
    *:i386*)
      dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  echo "installing: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing >/dev/null
}

# The Chinese UTF-8 locale, so that Wine shows the module's resources as a
# Chinese user sees them.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "the locale zh_CN.UTF-8 is not generated (as root: locale-gen zh_CN.UTF-8)" >&2
    return 1
  fi
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
}

jobs() { nproc 2>/dev/null || echo 2; }

# use_wine_prefix PREFIX: the environment in which the Windows programs run
# under Wine: a 32-bit prefix (made when it does not exist yet), the Chinese
# locale, so that the module's resources show as a Chinese user sees them, no
# Mono or Gecko installer and no debugging messages.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

# start_display: a virtual X display (Xvfb) on a free number, for programs
# that open windows; DISPLAY names it. stop_display ends it.
start_display() {
  local display=99
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X$display" ] && break; sleep 0.2; done
}

stop_display() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
