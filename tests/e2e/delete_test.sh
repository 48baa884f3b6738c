#!/usr/bin/env bash
# "Poista" in the settings window deletes the typed folder with everything below it, at once and
# without a window: a symbolic link inside it is removed, not followed, so the folder beside it
# stays whole; the settings window stays open and the log file is not written.
#   delete_test.sh <siirtolux executable>
. "$(dirname "$0")/e2e_lib.sh"
exe=$1

export LC_ALL=C
drive_c="$E2E_DIR/c"
export SIIRTOLUX_DRIVE_C="$drive_c"
doomed="$drive_c/Vanhat kopiot"
kept="$drive_c/Säilytettävä"
make_source_tree "$doomed"
mkdir -p "$doomed/tyhjä kansio" "$kept/sisällä"
printf 'pysyy\n' >"$kept/sisällä/tiedosto"
ln -s ../Säilytettävä "$doomed/linkki kansioon"
ln -s ../Säilytettävä/sisällä/tiedosto "$doomed/ali kansio/linkki tiedostoon"
kept_before=$(tree_manifest "$kept")

start_display
start_program "$exe"
main=$(wait_active_window "Siirtolux 1.0")
settings=$(open_settings "$main")

# Edit3 (8, 104, 129 x 21), "Poista" (144, 103, 97 x 25).
type_into "$settings" 72 114 'C:\Vanhat kopiot'
click_in "$settings" 192 115

deadline=$(($(date +%s) + 10))
while [ -e "$doomed" ] || [ -L "$doomed" ]; do
    for title in Virhe Vahvista; do expect_no_window "$title"; done
    program_running || fail "the program ended during the delete"
    [ "$(date +%s)" -lt "$deadline" ] || fail "the folder was not deleted within 10 s"
    sleep 0.05
done
# A window that the delete might show has had time to appear.
sleep 0.5
for title in Virhe Vahvista Kopioidaan; do expect_no_window "$title"; done
[ "$(tree_manifest "$kept")" = "$kept_before" ] || fail "the folder beside the deleted one changed"
[ "$(cat "$kept/sisällä/tiedosto")" = pysyy ] || fail "a file reached through a link was changed"
[ "$(ls -A "$drive_c")" = Säilytettävä ] || fail "drive C: holds $(ls -A "$drive_c" | tr '\n' ' ')"
[ ! -e "$E2E_DIR/app/loki.txt" ] || fail "the delete wrote the log file"
xdotool search --onlyvisible --name '^Kopiointi asetukset$' >/dev/null || fail "the settings window closed"

kill -TERM "$APP_PID"
expect_clean_exit 10
[ ! -e "$E2E_DIR/app/loki.txt" ] || fail "the log file was written"
echo "PASS: the typed folder was deleted whole without a window; links inside it were not followed"
