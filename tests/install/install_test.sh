#!/bin/sh
# usage: install_test.sh BUILD_DIR CXX SANITIZE_FLAGS SOURCE_DIR SAMPLE...
set -eu
build=$1 cxx=$2 flags=$3 src=$4
shift 4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libbrenvo_taglib.so.1' | head -n1)")
test -n "$libdir"

# 1. pkg-config
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++17 $flags "$src/host.cpp" -o "$work/host-pc" $(pkg-config --cflags --libs brenvo_taglib)
LD_LIBRARY_PATH="$libdir" "$work/host-pc" "$@"

# The README's host example, as a reader would copy it.
sed -n '/^```cpp$/,/^```$/{/^```/d;p;}' "$src/../../README.md" | awk '/^int main/{n++} n<=1' > "$work/readme.cpp"
grep -q 'TagLib::Plugins::properties' "$work/readme.cpp"
# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++17 $flags "$work/readme.cpp" -o "$work/readme-host" $(pkg-config --cflags --libs brenvo_taglib)
LD_LIBRARY_PATH="$libdir" "$work/readme-host" "$@" > "$work/readme-out"
grep -q ' ms$' "$work/readme-out"

# 2. find_package
cmake -S "$src/host-project" -B "$work/cm" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$work/cm" >/dev/null
LD_LIBRARY_PATH="$libdir" "$work/cm/host" "$@"

# The shared library exports the public API only, and nothing that libtag exports.
nm -D --defined-only "$libdir/libbrenvo_taglib.so.1" | awk '{print $3}' | sort -u > "$work/ours"
grep -qx '_Z21registerTaglibPluginsv' "$work/ours" || { echo 'registerTaglibPlugins is not exported'; exit 1; }
nm -D --defined-only "$(pkg-config --variable=libdir taglib)/libtag.so.1" | awk '{print $3}' | sort -u > "$work/libtag"
clash=$(comm -12 "$work/ours" "$work/libtag")
if [ -n "$clash" ]; then
  echo "symbols also exported by libtag:"; echo "$clash"; exit 1
fi
echo "exported symbols: $(wc -l < "$work/ours")"
