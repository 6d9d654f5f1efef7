# Sourced after packages.sh by the scripts that build Allegro from source
# (Windows, the web, the fuzz build): Debian's own source of Allegro 4.4,
# checked by its hash, patched and built once.
ALLEGRO_TARBALL=allegro4.4_4.4.3.1.orig.tar.gz
ALLEGRO_SHA256=ec19dbc9a021244582b4819b3583ee594b50141f9fcf6944a4ed8069cbf8d4d4
# The library alone: no add-ons, examples, tools or tests.
ALLEGRO_OPTIONS="-DSHARED=OFF -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF
    -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF"

# Fetches the source into the folder given, through a sources list of our own
# for the mirror apt already uses, so that the system's apt settings stay as
# they are.
fetch_allegro() {
    apt=$1/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    debian_sources deb-src >"$apt/sources.list"
    set -- -q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User="$(id -un)"
    echo "Fetching Allegro's source from Debian..."
    apt-get "$@" update >/dev/null
    (cd "$apt/.." && apt-get "$@" source --download-only --tar-only allegro4.4 >/dev/null)
}

# Unpacks the source into FOLDER/source and applies the patches given,
# fetching it into FOLDER's parent first if it is not there.
#   unpack_allegro FOLDER [PATCH...]
unpack_allegro() {
    folder=$1
    shift
    downloads=$(dirname "$folder")
    [ -f "$downloads/$ALLEGRO_TARBALL" ] || fetch_allegro "$downloads"
    echo "$ALLEGRO_SHA256  $downloads/$ALLEGRO_TARBALL" | sha256sum -c --quiet - \
        || { echo "$ALLEGRO_TARBALL is not the one expected" >&2; exit 1; }
    rm -rf "$folder/source"
    mkdir -p "$folder/source"
    tar -xzf "$downloads/$ALLEGRO_TARBALL" -C "$folder/source" --strip-components=1
    for fix in "$@"; do
        patch -s -d "$folder/source" -p1 <"$fix"
    done
}

# The same, again only when the patches change: for a build that compiles
# the source itself.
#   unpack_allegro_once FOLDER [PATCH...]
unpack_allegro_once() {
    recipe=$(shift && cat "$@" /dev/null | sha256sum)
    [ "$recipe" != "$(cat "$1/source.recipe" 2>/dev/null)" ] || return 0
    unpack_allegro "$@"
    echo "$recipe" >"$1/source.recipe"
}

# Builds the library into FOLDER/build, from the source unpacked into
# FOLDER/source with the patches given, then ALLEGRO_PREPARE run there if set,
# configured with the options above and the cmake arguments after "--";
# ALLEGRO_PROJECT builds it through a project of our own instead, given the
# source as ALLEGRO_SOURCE. It builds again only when any of that changes.
#   build_allegro FOLDER [PATCH...] -- [CMAKE-ARGUMENT...]
build_allegro() {
    folder=$1 patches=""
    shift
    while [ "$1" != -- ]; do patches="$patches $1"; shift; done
    shift
    # Paths inside the project count from its root, so that a copy of it
    # elsewhere can use what was built here.
    # shellcheck disable=SC2086
    recipe=$({ printf '%s\n' "$@" "${ALLEGRO_PREPARE-}" | sed "s|$PWD|.|g"; cat $patches /dev/null
               [ -z "${ALLEGRO_PROJECT-}" ] || find "$ALLEGRO_PROJECT" -type f | LC_ALL=C sort | xargs cat; } | sha256sum)
    [ "$recipe" != "$(cat "$folder/recipe" 2>/dev/null)" ] || return 0
    echo "Building Allegro into $folder, once (about a minute)..."
    rm -rf "$folder"
    # shellcheck disable=SC2086
    unpack_allegro "$folder" $patches
    [ -z "${ALLEGRO_PREPARE-}" ] || (cd "$folder/source" && eval "$ALLEGRO_PREPARE")
    # shellcheck disable=SC2086
    cmake -S "${ALLEGRO_PROJECT:-$folder/source}" -B "$folder/build" -Wno-dev --no-warn-unused-cli \
        -DALLEGRO_SOURCE="$folder/source" $ALLEGRO_OPTIONS "$@" >/dev/null
    build "$folder/build" --target allegro >/dev/null
    echo "$recipe" >"$folder/recipe"
}
