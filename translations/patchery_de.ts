<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Patchery</source>
        <translation>Über Patchery</translation>
    </message>
    <message>
        <source>Builds texture sheets from 64 x 64 tiles.</source>
        <translation>Baut Texturbögen aus Kacheln von 64 x 64.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Unexpected failure</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
</context>
<context>
    <name>BackgroundWork</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
</context>
<context>
    <name>CustomSizeDialog</name>
    <message>
        <source>Target Image Size</source>
        <translation>Größe des Zielbilds</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Width                          Height     </source>
        <translation>Breite                         Höhe       </translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>All files</source>
        <translation>Alle Dateien</translation>
    </message>
</context>
<context>
    <name>ImageFile</name>
    <message>
        <source>Other Images</source>
        <translation>Andere Bilder</translation>
    </message>
    <message>
        <source>All images</source>
        <translation>Alle Bilder</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Column %1, row %2</source>
        <translation>Spalte %1, Zeile %2</translation>
    </message>
    <message>
        <source>Column %1, row %2 · pixel %3, %4</source>
        <translation>Spalte %1, Zeile %2 · Pixel %3, %4</translation>
    </message>
</context>
<context>
    <name>LaunchOptions</name>
    <message>
        <source>Could not save the options to %1</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Really Quit?</source>
        <translation>Wirklich beenden?</translation>
    </message>
    <message>
        <source>Custom...</source>
        <translation>Eigene...</translation>
    </message>
    <message>
        <source>Paste From Clipboard</source>
        <translation>Aus Ablage einfügen</translation>
    </message>
    <message>
        <source>Copy To Clipboard</source>
        <translation>In Ablage kopieren</translation>
    </message>
    <message>
        <source>Selected   Tile</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>Target Image Size</source>
        <translation>Größe des Zielbilds</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Open Source...</source>
        <translation>Quelle öffnen...</translation>
    </message>
    <message>
        <source>Open Target...</source>
        <translation>Ziel öffnen...</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Save Target</source>
        <translation>Ziel &amp;speichern</translation>
    </message>
    <message>
        <source>Save Target As...</source>
        <translation>Ziel speichern unter...</translation>
    </message>
    <message>
        <source>Options...</source>
        <translation>Einstellungen...</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Copy Tile</source>
        <translation>Kachel &amp;kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste Tile</source>
        <translation>Kachel &amp;einfügen</translation>
    </message>
    <message>
        <source>Flip &amp;Horizontally</source>
        <translation>&amp;Horizontal spiegeln</translation>
    </message>
    <message>
        <source>Flip &amp;Vertically</source>
        <translation>&amp;Vertikal spiegeln</translation>
    </message>
    <message>
        <source>&amp;Rotate 90° Clockwise</source>
        <translation>Um 90° im Uhrzeigersinn &amp;drehen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About </source>
        <translation>Ü&amp;ber </translation>
    </message>
    <message>
        <source>Select tga...</source>
        <translation>TGA auswählen...</translation>
    </message>
    <message>
        <source>tga Image</source>
        <translation>TGA-Bild</translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation>%1 wird geöffnet...</translation>
    </message>
    <message>
        <source>Wrong format</source>
        <translation>Falsches Format</translation>
    </message>
    <message>
        <source>Open it anyway?</source>
        <translation>Trotzdem öffnen?</translation>
    </message>
    <message>
        <source>&amp;%1 %2 (%3)</source>
        <translation>&amp;%1 %2 (%3)</translation>
    </message>
    <message>
        <source>target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Clear Menu</source>
        <translation>Menü leeren</translation>
    </message>
    <message>
        <source>Unsaved work cannot be kept for recovery: %1</source>
        <translation>Ungesicherte Arbeit kann nicht für die Wiederherstellung aufbewahrt werden: %1</translation>
    </message>
    <message>
        <source>There is not enough memory to restore the unsaved sheet kept in %1; it is offered again next time.</source>
        <translation>Der Speicher reicht nicht, um den in %1 aufbewahrten ungesicherten Bogen wiederherzustellen; er wird beim nächsten Mal erneut angeboten.</translation>
    </message>
    <message>
        <source>An unsaved sheet could not be restored (%1); it is kept as %2</source>
        <translation>Ein ungesicherter Bogen konnte nicht wiederhergestellt werden (%1); er wird als %2 aufbewahrt</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Restore the unsaved sheet %1 (%2x%3, last changed %4)?</source>
        <translation>Den ungesicherten Bogen %1 (%2x%3, zuletzt geändert %4) wiederherstellen?</translation>
    </message>
    <message>
        <source>Save tga...</source>
        <translation>TGA speichern...</translation>
    </message>
    <message>
        <source>Image format unsupported</source>
        <translation>Bildformat nicht unterstützt</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Could not save %1: %2</source>
        <translation>%1 konnte nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>There is not enough memory to make the target sheet that size.</source>
        <translation>Der Speicher reicht nicht, um den Zielbogen auf diese Größe zu bringen.</translation>
    </message>
    <message>
        <source>Paste it anyway?</source>
        <translation>Trotzdem einfügen?</translation>
    </message>
    <message>
        <source>--no image loaded--</source>
        <translation>--kein Bild geladen--</translation>
    </message>
    <message>
        <source>Sizing the sheet...</source>
        <translation>Größe des Blatts wird geändert...</translation>
    </message>
    <message>
        <source>Pasting...</source>
        <translation>Einfügen...</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>Ver&amp;größern</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <source>&amp;Actual Size</source>
        <translation>&amp;Originalgröße</translation>
    </message>
    <message>
        <source>&amp;Fit</source>
        <translation>&amp;Einpassen</translation>
    </message>
    <message>
        <source>Show &amp;Grid</source>
        <translation>&amp;Raster anzeigen</translation>
    </message>
    <message>
        <source>Source image</source>
        <translation>Quellbild</translation>
    </message>
    <message>
        <source>Target sheet</source>
        <translation>Zielblatt</translation>
    </message>
    <message>
        <source>Selected tile</source>
        <translation>Gewählte Kachel</translation>
    </message>
    <message>
        <source>Target image size</source>
        <translation>Zielbildgröße</translation>
    </message>
    <message>
        <source>Source image, horizontal scroll</source>
        <translation>Quellbild, waagrechter Bildlauf</translation>
    </message>
    <message>
        <source>Source image, vertical scroll</source>
        <translation>Quellbild, senkrechter Bildlauf</translation>
    </message>
    <message>
        <source>Target sheet, horizontal scroll</source>
        <translation>Zielblatt, waagrechter Bildlauf</translation>
    </message>
    <message>
        <source>Target sheet, vertical scroll</source>
        <translation>Zielblatt, senkrechter Bildlauf</translation>
    </message>
    <message>
        <source>Resizable Window</source>
        <translation>Größenveränderbares Fenster</translation>
    </message>
    <message>
        <source>Re&amp;build from Sources</source>
        <translation>Aus den &amp;Quellen neu aufbauen</translation>
    </message>
    <message>
        <source>Save &amp;Layout As...</source>
        <translation>&amp;Layout speichern unter...</translation>
    </message>
    <message>
        <source>Some sources of %1 could not be read; their cells keep the sheet&apos;s pixels and are filled when they can be read again:
%2</source>
        <translation>Einige Quellen von %1 konnten nicht gelesen werden; ihre Zellen behalten die Pixel des Blattes und werden gefüllt, sobald sie wieder lesbar sind:
%2</translation>
    </message>
    <message>
        <source>Save layout...</source>
        <translation>Layout speichern...</translation>
    </message>
    <message>
        <source>Patchery layout</source>
        <translation>Patchery-Layout</translation>
    </message>
    <message>
        <source>%1 has changed on disk since it was opened. Replace it?</source>
        <translation>%1 wurde seit dem Öffnen auf der Festplatte geändert. Ersetzen?</translation>
    </message>
    <message>
        <source>%1 changed but could not be read: %2</source>
        <translation>%1 wurde geändert, konnte aber nicht gelesen werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 changed: %n cell(s) updated</source>
        <translation>
            <numerusform>%1 geändert: %n Zelle aktualisiert</numerusform>
            <numerusform>%1 geändert: %n Zellen aktualisiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n cell(s) no longer in it kept as they were</source>
        <translation>
            <numerusform>%n Zelle, die nicht mehr darin ist, blieb unverändert</numerusform>
            <numerusform>%n Zellen, die nicht mehr darin sind, blieben unverändert</numerusform>
        </translation>
    </message>
    <message>
        <source>These sources could not be read; their cells keep their pixels:
%1</source>
        <translation>Diese Quellen konnten nicht gelesen werden; ihre Zellen behalten ihre Pixel:
%1</translation>
    </message>
    <message numerus="yes">
        <source>%n cell(s) no longer in their sources kept as they were</source>
        <translation>
            <numerusform>%n Zelle, die nicht mehr in ihrer Quelle ist, blieb unverändert</numerusform>
            <numerusform>%n Zellen, die nicht mehr in ihren Quellen sind, blieben unverändert</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 (%2x%3, last changed %4)</source>
        <translation>%1 (%2x%3, zuletzt geändert %4)</translation>
    </message>
    <message>
        <source>Reading the unsaved sheet...</source>
        <translation>Das ungespeicherte Blatt wird gelesen...</translation>
    </message>
    <message>
        <source>%1 is write-protected. Save the sheet under another name?</source>
        <translation>%1 ist schreibgeschützt. Das Blatt unter einem anderen Namen speichern?</translation>
    </message>
    <message>
        <source>%1 has other names (hard links). Saving makes it a new file; the other names keep the old sheet. Save anyway?</source>
        <translation>%1 hat weitere Namen (harte Links). Beim Speichern wird es eine neue Datei; die anderen Namen behalten das alte Blatt. Trotzdem speichern?</translation>
    </message>
    <message>
        <source>The handbook is missing: it should be the file %1</source>
        <translation>Das Handbuch fehlt: Es sollte die Datei %1 sein</translation>
    </message>
    <message>
        <source>No program could show the handbook. It is the file %1</source>
        <translation>Kein Programm konnte das Handbuch anzeigen. Es ist die Datei %1</translation>
    </message>
    <message>
        <source>Patchery Handbook</source>
        <translation>Patchery-Handbuch</translation>
    </message>
    <message>
        <source>Patchery &amp;Handbook</source>
        <translation>Patchery-&amp;Handbuch</translation>
    </message>
    <message>
        <source>Close Source</source>
        <translation>Quelle schließen</translation>
    </message>
    <message>
        <source>Open Sources</source>
        <translation>Offene Quellen</translation>
    </message>
    <message>
        <source>Open sources</source>
        <translation>Offene Quellen</translation>
    </message>
    <message>
        <source>Next Source</source>
        <translation>Nächste Quelle</translation>
    </message>
    <message>
        <source>Previous Source</source>
        <translation>Vorige Quelle</translation>
    </message>
    <message>
        <source>Source %1</source>
        <translation>Quelle %1</translation>
    </message>
    <message>
        <source>The source %1 has been deleted; its last pixels stay open.</source>
        <translation>Die Quelle %1 wurde gelöscht; ihre letzten Pixel bleiben geöffnet.</translation>
    </message>
    <message>
        <source>These sources could not be opened again: %1</source>
        <translation>Diese Quellen konnten nicht wieder geöffnet werden: %1</translation>
    </message>
    <message>
        <source>New Sheet</source>
        <translation>Neues Blatt</translation>
    </message>
    <message>
        <source>Paste as Block</source>
        <translation>Als Block einfügen</translation>
    </message>
    <message>
        <source>There is not enough memory for a new sheet.</source>
        <translation>Für ein neues Blatt ist nicht genug Speicher vorhanden.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>there is not enough memory</source>
        <translation>der Speicher reicht nicht</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>Options</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Launch external application on start up:</source>
        <translation>Beim Start ein anderes Programm starten:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Suchen...</translation>
    </message>
    <message>
        <source>Select Executable...</source>
        <translation>Programm auswählen...</translation>
    </message>
    <message>
        <source>Executable</source>
        <translation>Programm</translation>
    </message>
</context>
<context>
    <name>RecoveryDialog</name>
    <message>
        <source>Earlier runs of Patchery left %1 unsaved sheets. Restore one, discard those selected, or keep them all for later.</source>
        <translation>Frühere Läufe von Patchery haben %1 ungespeicherte Blätter hinterlassen. Stellen Sie eines wieder her, verwerfen Sie die ausgewählten oder heben Sie alle für später auf.</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>Keep for &amp;Later</source>
        <translation>Für &amp;später aufheben</translation>
    </message>
</context>
<context>
    <name>SaveableSize</name>
    <message>
        <source>Width and height must each be from 1 to 32767, and 3 x width x height at most 2147483647.</source>
        <translation>Breite und Höhe müssen jeweils zwischen 1 und 32767 liegen, und 3 x Breite x Höhe darf höchstens 2147483647 sein.</translation>
    </message>
</context>
<context>
    <name>SheetRecovery</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot lock %1: %2</source>
        <translation>%1 kann nicht gesperrt werden: %2</translation>
    </message>
</context>
<context>
    <name>SizeQuestions</name>
    <message>
        <source>%1 × %2 pixels</source>
        <translation>%1 × %2 Pixel</translation>
    </message>
    <message>
        <source>The image&apos;s %1 need %2 GB of memory. %3</source>
        <translation>Die %1 des Bildes brauchen %2 GB Speicher. %3</translation>
    </message>
    <message>
        <source>Open it anyway?</source>
        <translation>Trotzdem öffnen?</translation>
    </message>
    <message>
        <source>%1 has %2: a target sheet that size could never be saved. %3</source>
        <translation>%1 hat %2: Ein Zielbogen dieser Größe ließe sich nie speichern. %3</translation>
    </message>
</context>
</TS>
