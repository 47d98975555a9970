#!/usr/bin/env bash
# The real window in German (LANG=de_DE.UTF-8), read as a person reads it: the window and its
# menu bar, Datei opened by its German key, Qt's open dialog with its German labels and
# buttons, "Falsches Format", and "Wirklich beenden?" answered by the Ja of Qt's own German
# buttons. Then French, which Patchery has no translation for: "Really Quit?" as written, and
# Qt's buttons still Yes and No, so that the window is never half one language.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
command -v tesseract >/dev/null || xv_fail "tesseract is missing; scripts/install-deps installs it"
# The language is the program's alone: the X tools keep theirs.
unset LC_ALL LC_MESSAGES LANGUAGE
XV_RUN_AS=(env LANG=de_DE.UTF-8)
f="$XV_TMP/files"
echo "not a picture" >"$f/notes.tga"
xv_start_wm
xv_start_app

xv_step "the window in German"
xv_expect_words "the window" "$XV_WIN" Datei Bearbeiten Hilfe "kein Bild geladen" \
    "In Ablage" "Aus Ablage" "Auswahl" "Größe des Zielbilds"

xv_step "Datei (Alt+D) > Quelle öffnen: Qt's file dialog in German"
xv_main_focus
xv_key alt+d
xv_wait_popup
xv_key Return
dialog=$(xv_wait_dialog '^TGA auswählen\.\.\.$')
xv_key ctrl+a
xv_type "$f/notes.tga"
xv_expect_words "the open dialog" "$dialog" "Suchen in:" "Dateiname:" "Dateien des Typs:" \
    "ffnen" "Abbrechen"
xv_key Return

xv_step "Falsches Format"
box=$(xv_wait_dialog '^Patchery$')
xv_expect_words "the message" "$box" "Falsches Format"
xv_key Return
xv_wait_gone '^Patchery$'

xv_step "Wirklich beenden? Nein (Alt+N), then Ja (Alt+J)"
xv_main_focus
xv_key ctrl+q
box=$(xv_wait_dialog '^Patchery$')
xv_expect_words "the question" "$box" "Wirklich beenden?" "Nein"
xv_key alt+n
xv_wait_gone '^Patchery$'
xv_app_running || xv_fail "the program ended after Nein"
xv_main_focus
xv_key ctrl+q
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+j
xv_wait_app_end

xv_step "French, without a translation: as written, Qt's Yes and No included"
XV_RUN_AS=(env LANG=fr_FR.UTF-8)
xv_start_app
xv_expect_words "the window" "$XV_WIN" File Edit Help "no image loaded" "Copy To" "Selected"
xv_key ctrl+q
box=$(xv_wait_dialog '^Patchery$')
xv_expect_words "the question" "$box" "Really Quit?"
xv_key alt+y
xv_wait_app_end
