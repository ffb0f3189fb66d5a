#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or of a layer beside it,
# or names a program header without its layer's folder.
#   check_layers.sh SRC_DIR
set -uo pipefail
src=${1:?source folder}
# Lowest first; layers on one level may not include each other.
declare -A level=([db]=0 [shell]=1 [viewer]=2 [index]=2 [browser]=3 [store]=4 [admin]=4 [logs]=4
    [app]=5)
# Headers only their own layer and the wiring may include: the layers above the browser see it
# as a Command_Scope (browser/CommandScope.h), never whole.
declare -A private=([browser/Browser.h]=1 [browser/frmQuery_doc.h]=1)
bad=0
for layer in "${!level[@]}"; do
    [ -d "$src/$layer" ] || continue
    for file in "$src/$layer"/*.h "$src/$layer"/*.cpp; do
        [ -e "$file" ] || continue
        while IFS=: read -r line text; do
            header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/' <<<"$text")
            target=${header%%/*}
            if [ "$target" = "$header" ]; then
                echo "${file#"$src"/}:$line: \"$header\" does not name its layer's folder"
                bad=1
            elif [ -n "${level[$target]+set}" ] && [ "$target" != "$layer" ] &&
                [ "${level[$target]}" -ge "${level[$layer]}" ]; then
                echo "${file#"$src"/}:$line: $layer includes $header, from a layer not below it"
                bad=1
            elif [ -n "${private[$header]+set}" ] && [ "$target" != "$layer" ] && [ "$layer" != app ]; then
                echo "${file#"$src"/}:$line: $layer includes $header, which only its layer and the wiring may"
                bad=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file")
    done
done
[ $bad -eq 0 ] && echo "every include looks down"
exit $bad
