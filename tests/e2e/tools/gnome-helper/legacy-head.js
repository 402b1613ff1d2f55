// TEST-ONLY helper for GNOME Shell 43-44 (see below).
/* exported init */
const Main = imports.ui.main;

