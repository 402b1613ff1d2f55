
class KivvoExtension {
    enable() {
        this._rock = new ShellRock();
    }

    disable() {
        this._rock.destroy();
        this._rock = null;
    }
}

function init() {
    return new KivvoExtension();
}
