// TEST-ONLY, never shipped or installed: the end-to-end tests' helper in a headless GNOME Shell.
// Unsafe mode lets the test call org.gnome.Shell.Eval (a virtual pointer, window placement, what the
// shell shows) and org.gnome.Shell.Screenshot. The overview shown at startup and the banners (a
// session as root announces itself) are put away, since they would cover the windows under test.
// The test puts one format's imports before this and that format's entry point after it.

var TestHelper = class TestHelper {
    enable() {
        global.context.unsafe_mode = true;
        Main.messageTray.bannerBlocked = true;
        if (Main.layoutManager._startingUp)
            this._startupId = Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
        else
            Main.overview.hide();
    }

    disable() {
        if (this._startupId)
            Main.layoutManager.disconnect(this._startupId);
        this._startupId = 0;
        Main.messageTray.bannerBlocked = false;
        global.context.unsafe_mode = false;
    }
};
