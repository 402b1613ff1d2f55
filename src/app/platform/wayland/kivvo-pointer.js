// Tells Kivvo where the pointer is, at once and on every change (global logical coordinates, y down).
// Kivvo writes its own unique bus name in place of the marker before loading this, so a script left
// behind by a Kivvo that died calls a name nobody owns any more.
function report() {
    var p = workspace.cursorPos;
    callDBus("@KIVVO_BUS_NAME@", "/org/kivvo/Pointer", "org.kivvo.Pointer", "Moved", p.x, p.y);
}
workspace.cursorPosChanged.connect(report);
report();
