# Sourced by the packaging scripts: the read-me and the licence as Windows
# users open them (CRLF line ends, the version filled in).
#   kit_stage_docs DEST_DIR VERSION SOURCE_DIR
kit_stage_docs() {
  local dest=$1 version=$2 source=$3
  mkdir -p "$dest"
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$source/packaging/README.txt" > "$dest/README.txt"
  sed -e 's/$/\r/' "$source/LICENSE" > "$dest/LICENSE.txt"
}
