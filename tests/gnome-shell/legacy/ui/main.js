// Stands in for the shell's Main (GNOME 43-44 scripts) in the extension's test: the test fills in the layout.
/* exported layoutManager */
var layoutManager = {monitors: [], uiGroup: null};
