// TEST-ONLY helper for GNOME Shell 45 and later (see below).
import * as Main from 'resource:///org/gnome/shell/ui/main.js';

