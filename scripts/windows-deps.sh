#!/usr/bin/env bash
# Builds the third-party libraries for the Windows cross build (MinGW-w64)
# from Debian's own source packages, into a cache folder:
#
#   scripts/windows-deps.sh [CACHE_DIR]
#
# CACHE_DIR defaults to ${XDG_CACHE_HOME:-~/.cache}/velmora/windows-deps,
# outside the clone, so a fresh clone (CI's) finds what an earlier one built.
#
# CACHE_DIR/<key>/ receives bin/ (DLLs), include/, lib/ (import libraries,
# CMake packages, pkg-config files); CACHE_DIR/current points at it and is
# what cmake/mingw-w64-x86_64.cmake uses unless VELMORA_WINDOWS_DEPS says
# otherwise. The key names the library versions, the toolchain version and a
# hash of this recipe, so a finished cache is found again in a second or two,
# and a new Debian release or a changed recipe builds a fresh one (replacing
# the old). The prefix is printed on standard output.
#
# Built: SDL2 (shared, plus SDL2main), SDL2_ttf (shared, FreeType linked in
# statically), SDL2_image (shared, PNG through stb_image and miniz),
# libjpeg-turbo's TurboJPEG (static, SIMD through nasm), libqrencode (static),
# GoogleTest and GoogleMock (static), and the header-only Asio and websocketpp
# copied from libasio-dev and libwebsocketpp-dev.
#
# As root it installs the host packages it needs and adds deb-src entries
# mirroring the Debian archives apt already uses. It needs no terminal: CI
# runs it as is. VELMORA_JOBS sets the parallel build jobs (default 2).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/failure-line.sh"

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
self=$repo/scripts/windows-deps.sh
recipe_dir=$repo/scripts/windows-deps
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
cache_root=$(realpath -m "${1:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora/windows-deps}")
jobs=${VELMORA_JOBS:-2}

log() { printf 'windows-deps: %s\n' "$*" >&2; }
die() { log "error: $*"; exit 1; }

# ---------------------------------------------------------------------------
# Host packages
# ---------------------------------------------------------------------------
toolchain_packages=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
)
host_packages=(
  "${toolchain_packages[@]}"
  wine wine64 cmake ninja-build dpkg-dev patch nasm
  googletest libasio-dev libwebsocketpp-dev libcli11-dev fonts-liberation2
  # for the Windows tests and the zip check: the real window, free ports, unzip
  xvfb x11-utils iproute2 python3
  # the installer, and the test that reads the programs' PE headers
  nsis python3-pefile
)

is_root() { [[ $(id -u) -eq 0 ]]; }

# apt-get that waits for another apt or dpkg run to finish instead of failing.
# DPkg::Lock::Timeout covers dpkg's lock; the lists lock taken by `update` is
# retried here for up to 20 minutes.
apt_get() {
  local attempt err
  err=$(mktemp)
  for attempt in $(seq 1 120); do
    if DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q "$@" \
        </dev/null 2>"$err"; then
      cat "$err" >&2
      rm -f "$err"
      return 0
    fi
    cat "$err" >&2
    if ! grep -qiE 'could not get lock|unable to lock|is another process using it' "$err"; then
      rm -f "$err"
      return 1
    fi
    log "apt is busy (attempt $attempt), waiting"
    sleep 10
  done
  rm -f "$err"
  return 1
}

# A repository that cannot be reached (a third-party one, say) makes `update`
# fail as a whole; what matters here is checked afterwards.
apt_update() {
  apt_get update || log "apt-get update reported errors; going on"
}

ensure_host_packages() {
  local missing=() p installed
  installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${host_packages[@]}" \
              2>/dev/null || true)
  for p in "${host_packages[@]}"; do
    grep -qx "ii  $p" <<<"$installed" || missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return 0
  is_root || die "missing packages; run as root or install them: apt-get install ${missing[*]}"
  log "installing ${missing[*]}"
  # Wine's recommendations (fonts, GStreamer, printing...) are not needed to
  # run console and SDL programs.
  if ! apt_get install -y --no-install-recommends "${missing[@]}"; then
    apt_update
    apt_get install -y --no-install-recommends "${missing[@]}"
  fi
}

# ---------------------------------------------------------------------------
# deb-src entries for the Debian archives apt already installs from
# ---------------------------------------------------------------------------
deb_src_file=/etc/apt/sources.list.d/velmora-deb-src.list

# Prints the active entries of every apt source file as
# "type<TAB>signed-by<TAB>uri<TAB>suite<TAB>components", one suite a line.
# Reads one-line .list files and deb822 .sources files.
apt_entries() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" && "$f" != "$deb_src_file" ]] || continue
    awk '
      { sub(/#.*/, "") }
      $1 == "deb" || $1 == "deb-src" {
        type = $1; signed = ""; i = 2
        if ($2 ~ /^\[/) {
          opts = ""
          for (; i <= NF; i++) { opts = opts " " $i; if ($i ~ /\]$/) { i++; break } }
          if (match(opts, /signed-by=[^] ]+/)) signed = substr(opts, RSTART + 10, RLENGTH - 10)
        }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
        print type "\t" signed "\t" uri "\t" suite "\t" comps
      }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] || continue
    awk '
      function flush(   n, na, nb, t, a, b, i, j, k) {
        if (enabled != "no" && uris != "") {
          n = split(types, t, " "); na = split(uris, a, " "); nb = split(suites, b, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= na; j++) for (k = 1; k <= nb; k++)
            print t[i] "\t" (inline ? "" : signed) "\t" a[j] "\t" b[k] "\t" comps
        }
        types = uris = suites = comps = signed = enabled = ""; inline = 0; field = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ {
        v = $0; gsub(/^[ \t]+|[ \t]+$/, "", v)
        if (field == "uris") uris = uris " " v
        else if (field == "suites") suites = suites " " v
        else if (field == "components") comps = comps " " v
        else if (field == "signed-by") inline = 1
        next
      }
      {
        key = tolower($0); sub(/:.*/, "", key); field = key
        v = $0; sub(/^[^:]*:[ \t]*/, "", v); sub(/[ \t]+$/, "", v)
        if (key == "types") types = v
        else if (key == "uris") uris = v
        else if (key == "suites") suites = v
        else if (key == "components") comps = v
        else if (key == "signed-by") signed = v
        else if (key == "enabled") enabled = tolower(v)
      }
      END { flush() }' "$f"
  done
}

# One deb-src line for each Debian archive suite that has a deb entry and no
# deb-src entry yet. Third-party repositories are left out: most publish no
# sources, and `apt-get update` would fail on them.
wanted_deb_src() {
  local entries
  entries=$(apt_entries)
  awk -F'\t' '
    function debian(uri, signed) {
      return uri ~ /\/debian(-security|-ports)?(\/[0-9]+T[0-9]+Z)?\/?$/ ||
             signed ~ /debian-archive-keyring/
    }
    { id = $3; sub(/\/+$/, "", id); id = id "\t" $4 }
    $1 == "deb-src" { have[id] = 1; next }
    $1 == "deb" && debian($3, $2) { want[++n] = $0; wid[n] = id }
    END {
      for (i = 1; i <= n; i++) {
        split(want[i], f, "\t")
        if (wid[i] in have || seen[wid[i]]++) continue
        opts = (f[2] != "" && f[2] !~ / /) ? "[signed-by=" f[2] "] " : ""
        print "deb-src " opts f[3] " " f[4] " " f[5]
      }
    }' <<<"$entries"
}

source_packages=(libsdl2 libsdl2-ttf libsdl2-image freetype libjpeg-turbo qrencode)

# The .dsc files apt-get source would fetch. Asking apt takes seconds (it
# reads the compressed Sources lists), so the answer is kept beside the cache
# for as long as the lists and apt's configuration stay the same.
sources_ready() {
  local memo=$cache_root/.source-versions fingerprint
  fingerprint=$(stat -c '%n %s %Y' /var/lib/apt/lists/*_Sources* /etc/apt/sources.list* \
                  /etc/apt/sources.list.d/* /etc/apt/preferences* 2>/dev/null | sha256sum)
  if [[ -f "$memo" && "$(head -n1 "$memo")" == "$fingerprint" ]]; then
    source_dscs=$(tail -n +2 "$memo")
    return 0
  fi
  source_dscs=$(apt-get source --print-uris -qq "${source_packages[@]}" 2>/dev/null \
                | awk '$2 ~ /\.dsc$/ { print $2 }') || return 1
  [[ $(wc -l <<<"$source_dscs") -eq ${#source_packages[@]} ]] || return 1
  mkdir -p "$cache_root"
  printf '%s\n%s\n' "$fingerprint" "$source_dscs" >"$memo"
}

ensure_deb_src() {
  local wanted current=""
  wanted=$(wanted_deb_src)
  [[ -f "$deb_src_file" ]] && current=$(cat "$deb_src_file")
  if [[ -n "$wanted" ]]; then
    wanted="# Source entries for the Windows dependency build (scripts/windows-deps.sh)
$wanted"
  fi
  if [[ "$wanted" != "$current" ]]; then
    is_root || die "deb-src entries are missing; run as root once"
    if [[ -n "$wanted" ]]; then
      log "adding deb-src entries in $deb_src_file"
      printf '%s\n' "$wanted" >"$deb_src_file"
    else
      rm -f "$deb_src_file"
    fi
    apt_update
  fi
  if ! sources_ready; then
    is_root || die "the source package lists are missing; run as root once"
    apt_update
    sources_ready || die "apt-get source finds no sources for ${source_packages[*]}"
  fi
}

# ---------------------------------------------------------------------------
# Cache key
# ---------------------------------------------------------------------------
# The source version apt-get source would fetch, read off the .dsc file name.
source_version() {
  local dsc
  dsc=$(grep -m1 "^$1_.*\.dsc\$" <<<"$source_dscs") || die "no source package $1"
  dsc=${dsc#"$1"_}
  printf '%s' "${dsc%.dsc}"
}

# 2:2.26.5+dfsg-1 -> 2.26.5
upstream() { local v=${1#*:}; printf '%s' "${v%%[-+~]*}"; }

# What shapes the libraries: the build section of this script (from its
# "Builds" heading to main), the toolchain file and the patches, all without
# comments, so editing an explanation or the apt plumbing rebuilds nothing.
recipe_hash() {
  local f
  {
    awk '/^# Builds$/ { on = 1 } /^main\(\) \{/ { on = 0 } on' "$self"
    for f in "$toolchain" "$recipe_dir"/*; do
      printf '== %s\n' "${f##*/}"
      cat "$f"
    done
  } | grep -vE '^[[:space:]]*(#|$)' | sha256sum | cut -c1-12
}

declare -A ver
compute_key() {
  local p v
  for p in "${source_packages[@]}"; do
    ver[$p]=$(source_version "$p")
  done
  while read -r p v; do
    ver[$p]=$v
  done < <(dpkg-query -W -f='${Package} ${Version}\n' "${toolchain_packages[@]}" googletest libasio-dev libwebsocketpp-dev)
  key_text=$(
    for p in libsdl2 libsdl2-ttf libsdl2-image freetype libjpeg-turbo qrencode \
             googletest libasio-dev libwebsocketpp-dev \
             "${toolchain_packages[@]}"; do
      printf '%s %s\n' "$p" "${ver[$p]}"
    done
  )
  key_text+=$'\n'"recipe $(recipe_hash)"
  local full_hash
  full_hash=$(printf '%s\n' "$key_text" | sha256sum | cut -c1-12)
  key="sdl2-$(upstream "${ver[libsdl2]}")_ttf-$(upstream "${ver[libsdl2-ttf]}")"
  key+="_image-$(upstream "${ver[libsdl2-image]}")_ft-$(upstream "${ver[freetype]}")"
  key+="_jpeg-$(upstream "${ver[libjpeg-turbo]}")_qr-$(upstream "${ver[qrencode]}")"
  key+="_gcc-$(upstream "${ver[g++-mingw-w64-x86-64-posix]}")_${full_hash}"
}

# Earlier keys (older Debian versions or recipes) and unfinished work folders.
prune_old_caches() {
  local d
  for d in "$cache_root"/*/ "$cache_root"/.work-*/; do
    d=${d%/}
    [[ -d "$d" && ! -L "$d" && "${d##*/}" != "$key" ]] || continue
    # Finished caches, work folders, and prefixes a failed run left behind.
    [[ -f "$d/key.txt" || "${d##*/}" == .work-* || "${d##*/}" == sdl2-* ]] || continue
    log "removing the outdated $d"
    rm -rf "$d"
  done
}

# ---------------------------------------------------------------------------
# Builds
# ---------------------------------------------------------------------------
cmake_build() {  # name source_dir [cmake args...]
  local name=$1 src=$2
  shift 2
  local bld=$work/build-$name start=$SECONDS
  log "building $name"
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$src" -B "$bld" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${launcher[@]}" \
    -DVELMORA_WINDOWS_DEPS="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    "$@" >"$work/$name.configure.log" 2>&1 \
    || { tail -n 40 "$work/$name.configure.log" >&2; die "$name: configure failed"; }
  nice -n 10 cmake --build "$bld" -j "$jobs" >"$work/$name.build.log" 2>&1 \
    || { tail -n 40 "$work/$name.build.log" >&2; die "$name: build failed"; }
  cmake --install "$bld" --strip >"$work/$name.install.log" 2>&1 \
    || { tail -n 40 "$work/$name.install.log" >&2; die "$name: install failed"; }
  log "built $name in $((SECONDS - start)) s"
}

fetch_sources() {
  local p v dir dsc orig
  log "fetching sources"
  # Downloaded first and unpacked one by one: a mirror that lacks a package's
  # small Debian packaging archive (seen with qrencode) must not stop the rest.
  (cd "$work" && apt-get -q -o APT::Sandbox::User=root source --download-only \
     "${source_packages[@]}" </dev/null >"$work/sources.log" 2>&1) \
    || log "apt-get source reported errors (see below if a source is missing)"
  for p in "${source_packages[@]}"; do
    dsc=$work/${p}_${ver[$p]}.dsc
    [[ -f "$dsc" ]] || { tail -n 20 "$work/sources.log" >&2; die "apt-get source fetched no $p ${ver[$p]}"; }
    v=${ver[$p]#*:}
    dir=$work/$p-${v%-*}
    if ! (cd "$work" && dpkg-source -x "$dsc" "$dir") >>"$work/sources.log" 2>&1; then
      # apt checked the upstream tarball against the .dsc as it fetched it.
      orig=$(compgen -G "$work/${p}_${v%-*}.orig.tar.*" | head -n1) \
        || { tail -n 20 "$work/sources.log" >&2; die "no source for $p"; }
      log "$p: no Debian packaging archive on the mirror; building the upstream ${orig##*/} as is"
      rm -rf "$dir" && mkdir -p "$dir"
      tar -xf "$orig" -C "$dir" --strip-components=1
    fi
    src[$p]=$dir
  done
}

build_freetype() {
  cmake_build freetype "${src[freetype]}" \
    -DBUILD_SHARED_LIBS=OFF \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

# Only what a windowed 2D program needs: the windows, offscreen and dummy video
# drivers, the software, Direct3D and OpenGL renderers, events, threads,
# timers, message boxes, and joysticks (DirectInput, XInput and the virtual
# one, which needs SDL's HID layer: button boxes and the tests). No audio or
# sensor code.
build_sdl2() {
  cmake_build sdl2 "${src[libsdl2]}" \
    -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL_AUDIO=OFF -DSDL_JOYSTICK=ON -DSDL_HAPTIC=ON -DSDL_HIDAPI=ON \
    -DSDL_SENSOR=OFF -DSDL_XINPUT=ON -DSDL_WASAPI=OFF \
    -DSDL_VIDEO=ON -DSDL_RENDER=ON -DSDL_EVENTS=ON -DSDL_THREADS=ON -DSDL_TIMERS=ON \
    -DSDL_DIRECTX=ON -DSDL_RENDER_D3D=ON -DSDL_OPENGL=ON -DSDL_OPENGLES=OFF \
    -DSDL_VULKAN=OFF -DSDL_OFFSCREEN=ON -DSDL_DUMMYVIDEO=ON
}

build_sdl2_ttf() {
  cmake_build sdl2_ttf "${src[libsdl2-ttf]}" \
    -DBUILD_SHARED_LIBS=ON -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF \
    -DSDL2TTF_SAMPLES=OFF
}

build_sdl2_image() {
  patch -d "${src[libsdl2-image]}" -p1 --forward --quiet \
    <"$recipe_dir/sdl2-image-config-stb.patch"
  local off=() f
  for f in AVIF GIF JPG JXL LBM PCX PNM QOI SVG TGA TIF WEBP XCF XPM XV; do
    off+=("-DSDL2IMAGE_$f=OFF")
  done
  # BMP stays: SDL2_image hands it to SDL's own reader.
  cmake_build sdl2_image "${src[libsdl2-image]}" \
    -DBUILD_SHARED_LIBS=ON -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
    -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF \
    -DSDL2IMAGE_BMP=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=ON "${off[@]}"
}

# The TurboJPEG API the browser view encodes with; the static library only,
# so no further DLL ships. nasm assembles the SIMD code for win64.
build_libjpeg_turbo() {
  cmake_build libjpeg_turbo "${src[libjpeg-turbo]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON \
    -DWITH_JAVA=OFF -DCMAKE_ASM_NASM_COMPILER=nasm
}

# QR codes for the link page; the library only (the qrencode tool needs
# libpng). Static, found through libqrencode.pc.
build_qrencode() {
  cmake_build qrencode "${src[qrencode]}" \
    -DBUILD_SHARED_LIBS=OFF -DWITH_TOOLS=OFF -DWITH_TESTS=OFF
}

build_googletest() {
  cmake_build googletest /usr/src/googletest \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}

# Asio is header-only: a copy of Debian's headers (only these, not the rest of
# /usr/include) plus a pkg-config file carrying the Winsock libraries.
install_asio() {
  log "copying the Asio headers"
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
  cp -a /usr/include/asio /usr/include/asio.hpp "$prefix/include/"
  cat >"$prefix/lib/pkgconfig/asio.pc" <<EOF
prefix=\${pcfiledir}/../..
includedir=\${prefix}/include

Name: asio
Description: Standalone Asio headers (from Debian's libasio-dev)
Version: $(upstream "${ver[libasio-dev]}")
Cflags: -I\${includedir} -DASIO_STANDALONE
Libs: -lws2_32 -lmswsock
EOF
  log "copying the websocketpp headers"
  cp -a /usr/include/websocketpp "$prefix/include/"
}

# pkg-config files name their folder relative to themselves, so the cache
# still works after being moved or restored elsewhere (CMake's package files
# already do this).
relocate_pkgconfig() {
  local pc
  for pc in "$prefix"/lib/pkgconfig/*.pc; do
    sed -i "s|$prefix|\${pcfiledir}/../..|g" "$pc"
  done
  rm -f "$prefix/bin/sdl2-config"  # a shell script, of no use for Windows builds
}

# ---------------------------------------------------------------------------
main() {
  ensure_host_packages
  ensure_deb_src
  compute_key

  prefix=$cache_root/$key
  if [[ -f "$prefix/.complete" ]] && [[ "$(cat "$prefix/.complete")" == "$key_text" ]]; then
    ln -sfn "$key" "$cache_root/current"
    log "up to date: $prefix"
    printf '%s\n' "$prefix"
    return 0
  fi

  mkdir -p "$cache_root"
  exec 9>"$cache_root/.lock"
  if ! flock -n 9; then
    log "another run is building in $cache_root, waiting"
    flock 9
    if [[ -f "$prefix/.complete" ]]; then
      ln -sfn "$key" "$cache_root/current"
      printf '%s\n' "$prefix"
      return 0
    fi
  fi

  local start=$SECONDS
  log "building into $prefix"
  rm -rf "$prefix"
  work=$cache_root/.work-$key
  rm -rf "$work"
  mkdir -p "$work" "$prefix"
  declare -gA src
  fetch_sources
  build_libjpeg_turbo
  build_qrencode
  build_freetype
  build_sdl2
  build_sdl2_ttf
  build_sdl2_image
  build_googletest
  install_asio
  relocate_pkgconfig

  printf '%s\n' "$key_text" >"$prefix/key.txt"
  rm -rf "$work"
  prune_old_caches
  printf '%s\n' "$key_text" >"$prefix/.complete"
  ln -sfn "$key" "$cache_root/current"
  log "done in $((SECONDS - start)) s: $prefix ($(du -sh "$prefix" | cut -f1))"
  printf '%s\n' "$prefix"
}

main "$@"
