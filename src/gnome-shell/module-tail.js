
export default class KivvoExtension extends Extension {
    enable() {
        this._rock = new ShellRock();
    }

    disable() {
        this._rock.destroy();
        this._rock = null;
    }
}
