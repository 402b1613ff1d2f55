// Loads the built GNOME Shell extension in one format outside the shell and drives its D-Bus interface
// from client connections of its own. The shell's pieces are stand-ins that record what the extension
// asks of them and offer only members the real ones have; the bus is real and private.
// Usage: gjs -m extension-test.js legacy|module FOLDER (the folder holding legacy/ and module/).
import Clutter from 'gi://Clutter';
import Cogl from 'gi://Cogl';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import GObject from 'gi://GObject';
import Meta from 'gi://Meta';
import St from 'gi://St';
import System from 'system';

const [format, built] = System.programArgs;
const here = GLib.path_get_dirname(GLib.filename_from_uri(import.meta.url)[0]);
const UUID = 'kivvo@kivvo.org';
const PATH = '/org/kivvo/ShellRock';
const IFACE = 'org.kivvo.ShellRock';
const ACCESS = /^org\.freedesktop\.DBus\.Error\.AccessDenied$/;
const FAILED = /^org\.freedesktop\.DBus\.Error\.Failed$/;
const INVALID = /^org\.freedesktop\.DBus\.Error\.InvalidArgs$/;
Gio._promisify(Gio.DBusConnection.prototype, 'call');

function check(ok, what) {
    if (!ok)
        throw new Error(what);
}
function same(got, want, what) {
    const [g, w] = [JSON.stringify(got), JSON.stringify(want)];
    check(g === w, `${what}: got ${g}, want ${w}`);
}

// The pointer and the cursor tracker; handlers are counted so that a leak shows.
let pointer = [10, 20];
const trackerType = Meta.CursorTracker.$gtype;
const tracker = {
    handlers: new Map(), lastId: 0,
    connect(signal, handler) {
        check(GObject.signal_lookup(signal, trackerType) !== 0, `the cursor tracker has no signal ${signal}`);
        this.handlers.set(++this.lastId, handler);
        return this.lastId;
    },
    disconnect(id) { check(this.handlers.delete(id), `disconnects handler ${id}, which is not connected`); },
    move(x, y) {
        pointer = [x, y];
        [...this.handlers.values()].forEach(handler => handler());
    },
};
// Work queued before the next frame; frame() draws one.
const laters = {
    queued: new Map(), lastId: 0,
    add(type, callback) {
        same(type, Meta.LaterType.BEFORE_REDRAW, 'the later type');
        this.queued.set(++this.lastId, callback);
        return this.lastId;
    },
    remove(id) { check(this.queued.delete(id), `removes later ${id}, which is not queued`); },
    frame() {
        const due = [...this.queued];
        this.queued.clear();
        for (const [id, callback] of due) {
            if (callback() === GLib.SOURCE_CONTINUE)
                this.queued.set(id, callback);
        }
    },
};

const RealActor = Clutter.Actor;
class Actor {
    constructor(props) {
        Object.keys(props).forEach(key => check(key in RealActor.prototype, `Clutter.Actor has no ${key}`));
        Object.assign(this, {visible: true, x: 0, y: 0, rotation_angle_z: 0, children: []}, props);
    }
    set_pivot_point(x, y) { this.pivot = [x, y]; }
    set_position(x, y) { [this.x, this.y] = [x, y]; }
    set_size(width, height) { [this.width, this.height] = [width, height]; }
    set_content(content) { this.content = content; }
    show() { this.visible = true; }
    hide() { this.visible = false; }
    add_child(child) {
        child.parent = this;
        this.children.push(child);
    }
    get_parent() { return this.parent; }
    get_last_child() { return this.children[this.children.length - 1] ?? null; }
    set_child_above_sibling(child, sibling) {
        check(sibling === null, 'raised above a sibling');
        this.children.splice(this.children.indexOf(child), 1);
        this.children.push(child);
    }
    destroy() { this.parent?.children.splice(this.parent.children.indexOf(this), 1); }
}
Object.getOwnPropertyNames(Actor.prototype).forEach(name => check(name in RealActor.prototype,
    `Clutter.Actor has no ${name}`));
Clutter.Actor = Actor;

// Newer shells take the Cogl context first: the module stand-in is such a shell, the legacy one is 43.
const coglContext = {cogl: true};
// A picture 999 pixels wide stands for one the shell cannot make a texture of.
function keep(pixels, pixelFormat, w, h, stride) {
    if (w === 999)
        throw new GLib.Error(Gio.IOErrorEnum, Gio.IOErrorEnum.NO_SPACE, 'no texture');
    this.picture = {bytes: Array.from(pixels), pixelFormat, w, h, stride};
}
St.ImageContent = {
    new_with_preferred_size(width, height) {
        return {
            preferred: [width, height],
            set_data: format === 'legacy' ? function (pixels, pixelFormat, w, h, stride) {
                keep.call(this, pixels, pixelFormat, w, h, stride);
            } : function (cogl, pixels, pixelFormat, w, h, stride) {
                check(cogl === coglContext, 'set_data without the Cogl context first');
                keep.call(this, pixels, pixelFormat, w, h, stride);
            },
        };
    },
};
const removedIn45 = what => () => {
    throw new Error(`${what} is gone from GNOME 45`);
};
const uiGroup = new Actor({name: 'uiGroup'});
const layoutManager = {monitors: [{geometry_scale: 1}, {geometry_scale: 2}], uiGroup};
globalThis.global = {display: {}, get_pointer: () => [...pointer, 0]};
if (format === 'module') {
    Object.assign(global, {
        backend: {get_cursor_tracker: () => tracker},
        compositor: {get_laters: () => laters},
        stage: {context: {get_backend: () => ({get_cogl_context: () => coglContext})}},
    });
    Object.assign(Meta, {later_add: removedIn45('later_add'), later_remove: removedIn45('later_remove')});
    Meta.CursorTracker = {get_for_display: removedIn45('CursorTracker.get_for_display')};
} else {
    Object.assign(global, {backend: {}, compositor: {}, stage: {}});
    Object.assign(Meta, {later_add: (...args) => laters.add(...args), later_remove: id => laters.remove(id)});
    Meta.CursorTracker = {get_for_display: display => display === global.display ? tracker : null};
}

/** The extension's entry object, made the way the shell of that format makes it. */
async function loadExtension() {
    const folder = `${built}/${format}/${UUID}`;
    const [, json] = GLib.file_get_contents(`${folder}/metadata.json`);
    const metadata = JSON.parse(new TextDecoder().decode(json));
    same([metadata.uuid, metadata['shell-version']],
        [UUID, format === 'legacy' ? ['43', '44'] : ['45', '46', '47', '48', '49']], 'metadata');
    if (format === 'module') {
        const Main = await import('resource:///org/gnome/shell/ui/main.js');
        Object.assign(Main.layoutManager, layoutManager);
        const {default: Extension} = await import(`file://${folder}/extension.js`);
        return new Extension(metadata);
    }
    imports.searchPath.unshift(`${here}/legacy`);
    Object.assign(imports.ui.main.layoutManager, layoutManager);
    const searchPath = imports.searchPath.slice();
    imports.searchPath = [`${built}/legacy`];
    const script = imports[UUID].extension;
    imports.searchPath = searchPath;
    return script.init(metadata);
}

const address = Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, null);
const {AUTHENTICATION_CLIENT, MESSAGE_BUS_CONNECTION} = Gio.DBusConnectionFlags;
const connect = () => Gio.DBusConnection.new_for_address_sync(address,
    AUTHENTICATION_CLIENT | MESSAGE_BUS_CONNECTION, null, null);
const shell = Gio.DBus.session.get_unique_name();
async function call(connection, method, args = null, iface = IFACE) {
    const reply = await connection.call(shell, PATH, iface, method, args, null, 0, 5000, null);
    return reply.deepUnpack();
}
async function refused(connection, method, args, error, why = method) {
    try {
        await call(connection, method, args);
    } catch (e) {
        check(error.test(Gio.DBusError.get_remote_error(e)), `${why}: ${e.message}`);
        return;
    }
    throw new Error(`${why}: not refused`);
}
/** The Moved signals that reach `connection`. */
function moves(connection) {
    const got = [];
    connection.signal_subscribe(null, IFACE, 'Moved', PATH, null, 0, (...a) => got.push(a[5].deepUnpack()));
    return got;
}
/** Returns once whatever the shell sent before reaches the connections and is handled. */
async function settle(...connections) {
    for (const connection of connections)
        await call(connection, 'Ping', null, 'org.freedesktop.DBus.Peer');
    while (GLib.MainContext.default().iteration(false))
        ;
}
/** Closes `connection` and returns once the shell's connection has seen it leave the bus. */
async function leave(connection) {
    let gone = false;
    const watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, connection.get_unique_name(), 0, null,
        () => (gone = true));
    connection.close_sync(null);
    while (!gone)
        GLib.MainContext.default().iteration(true);
    Gio.bus_unwatch_name(watch);
    while (GLib.MainContext.default().iteration(false))
        ;
}
const picture = (width, height, scale, bytes = width * height * 4) =>
    new GLib.Variant('(iiday)', [width, height, scale, Uint8Array.from({length: bytes}, (_, i) => i % 256)]);
const place = (x, y, degrees) => new GLib.Variant('(iid)', [x, y, degrees]);
function nothingLeft(when) {
    same([uiGroup.children.length, tracker.handlers.size, laters.queued.size], [0, 0, 0],
        `actors, tracker handlers and laters ${when}`);
}

const [a, b] = [connect(), connect()];
const [movesA, movesB] = [moves(a), moves(b)];
let extension, rock;
const cases = {
    async 'enable offers the interface and nothing else'() {
        extension = await loadExtension();
        extension.enable();
        const [xml] = await call(a, 'Introspect', null, 'org.freedesktop.DBus.Introspectable');
        check(xml.includes(`<interface name="${IFACE}">`), `${IFACE} not exported`);
        nothingLeft('after enable');
    },
    async 'only the client that called Follow is obeyed'() {
        await refused(a, 'Hide', null, ACCESS);
        await refused(a, 'Place', place(1, 2, 3), ACCESS);
        same(await call(a, 'Follow'), [10, 20, 2], 'Follow');
        same(tracker.handlers.size, 1, 'tracker handlers while following');
        await refused(b, 'SetPicture', picture(2, 2, 1), ACCESS);
        await refused(b, 'Release', null, ACCESS);
    },
    async 'motion reaches the client alone, once a frame, only when it moved'() {
        const before = GLib.get_monotonic_time();
        tracker.move(30, 40);
        const after = GLib.get_monotonic_time();
        tracker.move(31, 41);
        tracker.move(32, 42);
        same(laters.queued.size, 1, 'laters for three motions in a frame');
        await settle(a, b);
        same(movesA.length, 0, 'Moved before the frame');
        laters.frame();
        await settle(a, b);
        same(movesA.map(([x, y]) => [x, y]), [[32, 42]], 'Moved');
        check(movesA[0][2] >= before && movesA[0][2] <= after, 'the stamp is not that of the first motion');
        same(movesB.length, 0, 'Moved reaching another connection');
        tracker.move(32, 42);
        laters.frame();
        await settle(a);
        same(movesA.length, 1, 'Moved sent for a pointer that did not move');
    },
    async 'a picture is checked, then shown as one rock that lets clicks through'() {
        const faulty = [[4, 2, 2, 31, 'a byte short'], [4, 2, 2, 33, 'a byte over'], [0, 2, 1, 0, 'no width'],
            [2000, 1, 1, 8000, '2000 pixels wide'], [4, 2, 0, 32, 'scale 0']];
        for (const [width, height, scale, bytes, why] of faulty)
            await refused(a, 'SetPicture', picture(width, height, scale, bytes), INVALID, why);
        await refused(a, 'SetPicture', picture(999, 1, 1), FAILED, 'a picture the shell cannot take');
        same(uiGroup.children.length, 0, 'actors after refused pictures');
        await call(a, 'SetPicture', picture(4, 2, 2));
        await call(a, 'SetPicture', picture(4, 2, 2));
        same(uiGroup.children.length, 1, 'actors after two pictures');
        rock = uiGroup.children[0];
        same([rock.name, rock.reactive, rock.visible, rock.width, rock.height, rock.content.preferred],
            ['kivvo-rock', false, false, 2, 1, [2, 1]], 'rock');
        same(rock.content.picture, {bytes: [...Array(32).keys()], pixelFormat: Cogl.PixelFormat.RGBA_8888_PRE,
            w: 4, h: 2, stride: 16}, 'the picture given to the content');
    },
    async 'Place shows the rock turned about its centre and on top, Hide hides it'() {
        const popup = new Actor({name: 'popup'});
        uiGroup.add_child(popup); // something the shell added on top since
        await call(a, 'Place', place(100, 50, 390));
        same([rock.x, rock.y, rock.rotation_angle_z, rock.pivot, rock.visible],
            [100, 50, 30, [0.5, 0.5], true], 'rock placed');
        same(uiGroup.get_last_child() === rock, true, 'the rock on top after Place');
        popup.destroy();
        await call(a, 'Hide');
        same(rock.visible, false, 'rock visible after Hide');
    },
    async 'a second client takes over'() {
        same(await call(b, 'Follow'), [32, 42, 2], 'Follow');
        same([uiGroup.children.length, tracker.handlers.size], [0, 1], 'actors and tracker handlers');
        await refused(a, 'Hide', null, ACCESS, 'the first client after the second one came');
        tracker.move(5, 6);
        laters.frame();
        await settle(a, b);
        same([movesA.length, movesB.length], [1, 1], 'Moved to the first and the second client');
    },
    async 'Release leaves nothing'() {
        await call(b, 'SetPicture', picture(4, 2, 2));
        tracker.move(7, 8);
        await call(b, 'Release');
        nothingLeft('after Release');
    },
    async 'an earlier client leaving changes nothing, the client leaving leaves nothing'() {
        const [c, d] = [connect(), connect()];
        await call(c, 'Follow');
        await call(d, 'Follow');
        await call(d, 'SetPicture', picture(4, 2, 2));
        tracker.move(9, 9);
        await leave(c);
        same([uiGroup.children.length, tracker.handlers.size, laters.queued.size], [1, 1, 1],
            'actors, tracker handlers and laters after an earlier client left');
        await leave(d);
        nothingLeft('after the client left');
    },
    async 'disable withdraws the interface and leaves nothing, twice'() {
        for (const round of [1, 2]) {
            if (round === 2)
                extension.enable();
            await call(a, 'Follow');
            await call(a, 'SetPicture', picture(4, 2, 2));
            tracker.move(round, round);
            extension.disable();
            nothingLeft(`after disable ${round}`);
            await refused(a, 'Follow', null, /UnknownMethod|UnknownObject/, `Follow after disable ${round}`);
        }
    },
};

const loop = new GLib.MainLoop(null, false);
let failed = null;
// A case that waits for a bus event that never comes fails here rather than at the test's timeout.
GLib.timeout_add_seconds(0, 20, () => {
    printerr(`FAIL ${format}: ${failed}: stuck for 20 s`);
    System.exit(1);
});
(async () => {
    for (const [name, run] of Object.entries(cases)) {
        failed = name;
        await run();
        print(`ok ${format}: ${name}`);
    }
    failed = null;
})().catch(e => printerr(`FAIL ${format}: ${failed}: ${e.message}\n${e.stack}`)).finally(() => loop.quit());
loop.run();
System.exit(failed === null ? 0 : 1);
