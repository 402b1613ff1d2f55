// The shell's side of Kivvo, shared by both module formats: the build puts the imports of one format
// before it and that format's entry point after it (see CMakeLists.txt). It needs Gio, GLib, Meta,
// Clutter, St, Cogl and Main in scope.
//
// Kivvo asks over the session bus (the shell's own connection, so org.gnome.Shell at the object path
// below). The first Follow() makes the caller the one client: only then is the pointer watched and
// only the client's calls are obeyed. Everything stops when the client releases it or leaves the bus.

const ROCK_PATH = '/org/kivvo/ShellRock';
const ROCK_INTERFACE = 'org.kivvo.ShellRock';
const ROCK_INTERFACE_XML = `<node>
  <interface name="org.kivvo.ShellRock">
    <!-- Makes the caller the client; the pointer now (logical pixels, y down) and the largest monitor scale. -->
    <method name="Follow">
      <arg type="i" direction="out" name="x"/><arg type="i" direction="out" name="y"/>
      <arg type="d" direction="out" name="scale"/>
    </method>
    <!-- The rock's picture, upright: premultiplied RGBA bytes, drawn at scale device pixels a point. -->
    <method name="SetPicture">
      <arg type="i" direction="in" name="width"/><arg type="i" direction="in" name="height"/>
      <arg type="d" direction="in" name="scale"/><arg type="ay" direction="in" name="pixels"/>
    </method>
    <!-- Shows the picture with its top left at x, y, turned clockwise by degrees about its centre. -->
    <method name="Place">
      <arg type="i" direction="in" name="x"/><arg type="i" direction="in" name="y"/>
      <arg type="d" direction="in" name="degrees"/>
    </method>
    <method name="Hide"/>
    <method name="Release"/>
    <!-- Sent to the client alone, at most once a frame; stamp_us is when the first unsent motion came. -->
    <signal name="Moved">
      <arg type="i" name="x"/><arg type="i" name="y"/><arg type="t" name="stamp_us"/>
    </signal>
  </interface>
</node>`;
// A picture larger than this on a side is refused: the rock is at most a few hundred pixels.
const MAX_PICTURE_SIDE = 1024;
const MIN_SCALE = 0.5;
const MAX_SCALE = 8;

/** Work that runs once before the next frame is drawn (the API moved in GNOME 44). */
const beforeRedraw = {
    add(callback) {
        const laters = global.compositor?.get_laters?.();
        return laters ? laters.add(Meta.LaterType.BEFORE_REDRAW, callback)
            : Meta.later_add(Meta.LaterType.BEFORE_REDRAW, callback);
    },
    remove(id) {
        const laters = global.compositor?.get_laters?.();
        if (laters)
            laters.remove(id);
        else
            Meta.later_remove(id);
    },
};

/** The cursor tracker (taken from the backend since GNOME 44). */
function cursorTracker() {
    return global.backend?.get_cursor_tracker?.() ?? Meta.CursorTracker.get_for_display(global.display);
}

/** Why a picture cannot be shown, or null when it can. */
function pictureFault(width, height, scale, pixels) {
    if (!Number.isInteger(width) || !Number.isInteger(height) ||
        width < 1 || height < 1 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return `the picture must be 1 to ${MAX_PICTURE_SIDE} pixels a side`;
    if (!(scale >= MIN_SCALE && scale <= MAX_SCALE))
        return `the scale must be ${MIN_SCALE} to ${MAX_SCALE}`;
    if (pixels.length !== width * height * 4)
        return `a ${width} x ${height} picture has ${width * height * 4} bytes, not ${pixels.length}`;
    return null;
}

var ShellRock = class ShellRock {
    /** Offers the interface; nothing else happens until a client calls Follow. */
    constructor() {
        this._client = null;   // the unique bus name obeyed, or null
        this._watchId = 0;     // watches the client leaving the bus
        this._motionId = 0;    // the cursor tracker's motion handler, only while there is a client
        this._laterId = 0;     // the pending Moved, at most one a frame
        this._stampUs = 0;     // when the first motion not yet sent came
        this._sent = null;     // the last position sent
        this._actor = null;    // the rock, made by the first picture
        this._tracker = cursorTracker();
        this._exported = Gio.DBusExportedObject.wrapJSObject(ROCK_INTERFACE_XML, this);
        this._exported.export(Gio.DBus.session, ROCK_PATH);
    }

    /** Drops the client and the rock and withdraws the interface. */
    destroy() {
        this._dropClient();
        this._exported.unexport();
        this._exported = null;
    }

    FollowAsync(_params, invocation) {
        this._adopt(invocation.get_sender());
        const [x, y] = global.get_pointer();
        this._sent = [x, y];
        invocation.return_value(new GLib.Variant('(iid)', [x, y, this._largestScale()]));
    }

    SetPictureAsync([width, height, scale, pixels], invocation) {
        if (!this._fromClient(invocation))
            return;
        const fault = pictureFault(width, height, scale, pixels);
        if (fault) {
            invocation.return_dbus_error('org.freedesktop.DBus.Error.InvalidArgs', fault);
            return;
        }
        try {
            this._showPicture(width, height, scale, pixels);
        } catch (e) {
            // set_data throws when no texture can be made; unanswered, Kivvo would wait out its timeout.
            invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed',
                `the picture was not taken: ${e.message}`);
            return;
        }
        invocation.return_value(null);
    }

    PlaceAsync([x, y, degrees], invocation) {
        if (!this._fromClient(invocation))
            return;
        if (this._actor) {
            // Above whatever the shell added on top since (its own chrome, popups).
            const parent = this._actor.get_parent();
            if (parent.get_last_child() !== this._actor)
                parent.set_child_above_sibling(this._actor, null);
            this._actor.set_position(x, y);
            this._actor.rotation_angle_z = Number.isFinite(degrees) ? degrees % 360 : 0;
            this._actor.show();
        }
        invocation.return_value(null);
    }

    HideAsync(_params, invocation) {
        if (!this._fromClient(invocation))
            return;
        this._actor?.hide();
        invocation.return_value(null);
    }

    ReleaseAsync(_params, invocation) {
        if (!this._fromClient(invocation))
            return;
        this._dropClient();
        invocation.return_value(null);
    }

    /** Whether the call comes from the client; answers anyone else with an error. */
    _fromClient(invocation) {
        if (this._client !== null && invocation.get_sender() === this._client)
            return true;
        invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied', 'call Follow first');
        return false;
    }

    /** Makes `name` the client, in place of any earlier one, and starts watching the pointer. */
    _adopt(name) {
        if (name === this._client)
            return;
        this._dropClient();
        this._client = name;
        this._watchId = Gio.bus_watch_name_on_connection(Gio.DBus.session, name,
            Gio.BusNameWatcherFlags.NONE, null, () => this._dropClient());
        this._motionId = this._tracker.connect('position-invalidated', () => this._queueMoved());
    }

    /** Forgets the client: no more motion is watched and the rock goes. */
    _dropClient() {
        if (this._laterId)
            beforeRedraw.remove(this._laterId);
        if (this._motionId)
            this._tracker.disconnect(this._motionId);
        if (this._watchId)
            Gio.bus_unwatch_name(this._watchId);
        this._actor?.destroy();
        this._laterId = this._motionId = this._watchId = this._stampUs = 0;
        this._actor = this._client = this._sent = null;
    }

    _queueMoved() {
        if (!this._stampUs)
            this._stampUs = GLib.get_monotonic_time();
        if (!this._laterId) {
            this._laterId = beforeRedraw.add(() => {
                this._laterId = 0;
                this._sendMoved();
                return GLib.SOURCE_REMOVE;
            });
        }
    }

    _sendMoved() {
        const [x, y] = global.get_pointer();
        const stampUs = this._stampUs;
        this._stampUs = 0;
        if (this._sent && this._sent[0] === x && this._sent[1] === y)
            return;
        this._sent = [x, y];
        Gio.DBus.session.emit_signal(this._client, ROCK_PATH, ROCK_INTERFACE, 'Moved',
            new GLib.Variant('(iit)', [x, y, stampUs]));
    }

    _largestScale() {
        return Main.layoutManager.monitors.reduce((scale, m) => Math.max(scale, m.geometry_scale), 1);
    }

    /** The rock: above every window and the shell's own chrome, and never picked, so clicks pass through. */
    _ensureActor() {
        if (this._actor)
            return this._actor;
        this._actor = new Clutter.Actor({name: 'kivvo-rock', reactive: false, visible: false});
        this._actor.set_pivot_point(0.5, 0.5);
        Main.layoutManager.uiGroup.add_child(this._actor);
        return this._actor;
    }

    /** Shows the picture; makes the rock only once the picture is taken, so a refused one leaves none. */
    _showPicture(width, height, scale, pixels) {
        const content = St.ImageContent.new_with_preferred_size(width / scale, height / scale);
        const format = Cogl.PixelFormat.RGBA_8888_PRE;
        // Newer shells take the Cogl context first: ask the method itself rather than guess from the stage.
        if (content.set_data.length === 6) {
            const cogl = global.stage.context.get_backend().get_cogl_context();
            content.set_data(cogl, pixels, format, width, height, width * 4);
        } else {
            content.set_data(pixels, format, width, height, width * 4);
        }
        const actor = this._ensureActor();
        actor.set_size(width / scale, height / scale);
        actor.set_content(content);
    }
};
