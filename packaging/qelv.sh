#!/bin/sh
# Starts Tevrano for the user who runs it. Its program folder is $QELV_HOME, by default
# ${XDG_DATA_HOME:-~/.local/share}/qelv; each start copies into it the shipped files that are missing
# there (a database file that exists is never overwritten), registers the paper-setting control for
# the user when the user's registry does not name this copy of it yet, and starts the program there.
set -e
here=$(dirname "$(readlink -f "$0")")
lib=$(readlink -f "$here/../lib/qelv")
export QELV_HOME="${QELV_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/qelv}"
"$lib/qelv-prepare" "$QELV_HOME" >/dev/null
registry=${QELV_COMPONENT_REGISTRY:-${XDG_CONFIG_HOME:-$HOME/.config}/qelv/components.json}
if ! grep -qF "\"$lib/libquorbel.so\"" "$registry" 2>/dev/null; then
  "$lib/quorbel-register" "$lib/libquorbel.so" >/dev/null
fi
exec "$lib/qelv" "$@"
