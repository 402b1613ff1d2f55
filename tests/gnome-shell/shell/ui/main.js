// Stands in for the shell's Main in the extension's test: the test fills in the layout it needs.
export const layoutManager = {monitors: [], uiGroup: null};
