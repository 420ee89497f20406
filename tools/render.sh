#!/usr/bin/env bash
# Renders the data folder's pictures and sounds, the default pack's included, from the programs beside this file.
# Needs Debian's python3-cairo, fonts-dejavu-core and vorbis-tools: scripts/install-deps --tools.
# PYTHON picks the interpreter; Debian's own is the default, since python3-cairo installs there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
data="$here/../resources/data"
python="${PYTHON:-/usr/bin/python3}"
"$python" "$here/draw_interface.py" "$data/images"
"$python" "$here/draw_icon.py" "$here/.."
"$python" "$here/make_sounds.py" "$data/sounds"
"$python" "$here/pack_art.py"
"$python" "$here/pack_sounds.py"
"$python" "$here/pack_xml.py"
