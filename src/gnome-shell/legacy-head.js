// Kivvo: the floating rock and the pointer for the companion, on GNOME Shell 43 and 44.
/* exported init */
const {Clutter, Cogl, Gio, GLib, Meta, St} = imports.gi;
const Main = imports.ui.main;

