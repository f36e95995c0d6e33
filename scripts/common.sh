# Shared steps of scripts/test, scripts/demo and the other entry points:
# host packages, the Wine 10 runtime root, configure and build.
# Sourced, never run on its own.

ORSETTA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORSETTA_BUILD=${ORSETTA_BUILD:-$ORSETTA_TOP/build}
ORSETTA_CACHE=${ORSETTA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orsetta}
ORSETTA_ROOT=${ORSETTA_ROOT:-$ORSETTA_CACHE/trixie-root}

# Host side: cross compiler, build tools (python3 generates test code), runtime makers,
# media and image tools, and Xorg's dummy driver with xrandr for a display of two monitors.
HOST_PACKAGES="g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  cmake ninja-build libgtest-dev g++ clang python3 debootstrap bubblewrap xvfb xauth
  x11-utils xdotool imagemagick ffmpeg fp-utils zip gnuplot-nox
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils"

# Inside the Debian 13 root: Wine 10 with OpenGL for wined3d, GStreamer decoders,
# a Japanese font and locale.
ROOT_PACKAGES="wine wine64 xvfb xauth libgl1 libegl1 libgl1-mesa-dri libxcomposite1
  libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 libvulkan1
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav locales fonts-ipafont-gothic"

log() { printf '== %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

ensure_host_packages() {
  local missing=() p
  for p in $HOST_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -eq 0 ] || die "missing packages (install them as root): ${missing[*]}"
  log "installing host packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || die "apt-get update failed"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    die "apt-get install failed"
}

# The major version of a wine command's own report ("wine-10.0" -> 10), or 0.
wine_major() {
  local v
  v=$("$@" --version 2>/dev/null) || { echo 0; return; }
  v=${v#wine-}
  echo "${v%%.*}" | grep -E '^[0-9]+$' || echo 0
}

# Sets WINE_MODE to "host" when the host's own Wine is 10 or newer, else "root".
choose_wine() {
  WINE_MODE=root
  if command -v wine >/dev/null 2>&1 && [ "$(wine_major wine)" -ge 10 ]; then
    WINE_MODE=host
  fi
}

# Runs a command inside the runtime root. The mounts belong to the bwrap process
# and vanish with it, however it ends.
in_root() {
  local home=${RUN_HOME:-/tmp}
  bwrap --bind "$ORSETTA_ROOT" / --dev-bind /dev /dev --proc /proc --bind /sys /sys \
    --bind /tmp /tmp --bind "$ORSETTA_TOP" "$ORSETTA_TOP" \
    $( [ "$ORSETTA_BUILD" != "${ORSETTA_BUILD#"$ORSETTA_TOP"}" ] || echo --bind "$ORSETTA_BUILD" "$ORSETTA_BUILD" ) \
    --ro-bind /etc/resolv.conf /etc/resolv.conf --tmpfs /run \
    --chdir "$PWD" --setenv HOME "$home" --setenv PATH /usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    "$@"
}

host_mirror() {
  local m
  m=$(grep -hsoE '^URIs: *http[^ ]*debian/?$|^deb +http[^ ]*debian/? ' \
      /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null |
      head -n1 | sed -E 's/^URIs: *//; s/^deb +//; s/ +$//')
  echo "${m:-http://deb.debian.org/debian}"
}

ensure_runtime() {
  choose_wine
  [ "$WINE_MODE" = host ] && return 0
  [ -f "$ORSETTA_ROOT/.orsetta-ready" ] && return 0
  [ "$(id -u)" -eq 0 ] || die "the Wine 10 runtime root is missing; make it once as root"
  local mirror pkgs
  mirror=$(host_mirror)
  pkgs=$(echo $ROOT_PACKAGES)
  log "making the Debian 13 runtime root in $ORSETTA_ROOT (once; a few minutes)"
  mkdir -p "$ORSETTA_CACHE"
  if [ ! -f "$ORSETTA_ROOT.tmp/.debootstrap-done" ]; then
    rm -rf "$ORSETTA_ROOT.tmp"
    debootstrap --variant=minbase trixie "$ORSETTA_ROOT.tmp" "$mirror" >"$ORSETTA_CACHE/debootstrap.log" 2>&1 ||
      die "debootstrap failed; see $ORSETTA_CACHE/debootstrap.log"
    touch "$ORSETTA_ROOT.tmp/.debootstrap-done"
  fi
  local saved=$ORSETTA_ROOT
  ORSETTA_ROOT=$ORSETTA_ROOT.tmp
  in_root /bin/sh -c "export DEBIAN_FRONTEND=noninteractive;
      apt-get update -qq &&
      apt-get install -y -qq --no-install-recommends $pkgs &&
      sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen && locale-gen &&
      apt-get clean" >"$ORSETTA_CACHE/root-packages.log" 2>&1 ||
    { ORSETTA_ROOT=$saved; die "installing into the runtime root failed; see $ORSETTA_CACHE/root-packages.log"; }
  ORSETTA_ROOT=$saved
  touch "$ORSETTA_ROOT.tmp/.orsetta-ready"
  mv "$ORSETTA_ROOT.tmp" "$ORSETTA_ROOT"
}

# Configures (once) and builds the Windows program and its tests.
build_windows() {
  if [ ! -f "$ORSETTA_BUILD/build.ninja" ]; then
    log "configuring $ORSETTA_BUILD"
    cmake -S "$ORSETTA_TOP" -B "$ORSETTA_BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ORSETTA_TOP/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || die "configure failed"
  fi
  log "building $ORSETTA_BUILD"
  cmake --build "$ORSETTA_BUILD" "$@" || die "build failed"
}

# Configures (once) and builds the pure logic natively with sanitizers.
build_native() {
  local dir=$ORSETTA_BUILD/native
  if [ ! -f "$dir/build.ninja" ]; then
    log "configuring $dir"
    cmake -S "$ORSETTA_TOP" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null || die "native configure failed"
  fi
  log "building $dir"
  cmake --build "$dir" || die "native build failed"
}

# One display and one Wine server for a whole run of programs: each program then starts
# faster. Both are stopped by stop_wine_session (by PID and by wineserver -k).
start_wine_session() {
  SESSION_XVFB_PID=
  if [ -z "${DISPLAY:-}" ]; then
    local fifo n
    fifo=$(mktemp -u /tmp/orsetta-xvfb.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    SESSION_XVFB_PID=$!
    read -r -t 20 n <"$fifo" || die "Xvfb did not start"
    rm -f "$fifo"
    export DISPLAY=:$n
    SESSION_OWNS_DISPLAY=1
  fi
  export ORSETTA_KEEP_WINESERVER=1
  # Makes the prefix if needed, then keeps a server for it until stop_wine_session.
  "$ORSETTA_TOP/scripts/wine-run" --server-start
}

stop_wine_session() {
  "$ORSETTA_TOP/scripts/wine-run" --server-stop 2>/dev/null
  # The stock profile's prefix has a server of its own once one of its tests ran.
  [ ! -f "$ORSETTA_BUILD/wineprefix-stock/.orsetta-ready" ] ||
    ORSETTA_PROFILE=stock "$ORSETTA_TOP/scripts/wine-run" --server-stop 2>/dev/null
  unset ORSETTA_KEEP_WINESERVER
  if [ -n "${SESSION_XVFB_PID:-}" ]; then
    kill "$SESSION_XVFB_PID" 2>/dev/null
    wait "$SESSION_XVFB_PID" 2>/dev/null
    SESSION_XVFB_PID=
    [ -n "${SESSION_OWNS_DISPLAY:-}" ] && unset DISPLAY SESSION_OWNS_DISPLAY
  fi
}
