// Stands in for the shell's extension base class (GNOME 45 and later) in the extension's test.
export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }
}
