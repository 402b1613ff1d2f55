#include "PlatformChoice.h"

PlatformChoice PlatformChoice::choose(bool waylandSession, Feed compositorFeed, bool layerShellOffered)
{
    if (!waylandSession)
        return {};
    if (compositorFeed == Feed::x11)
        compositorFeed = Feed::none;
    if (compositorFeed == Feed::gnomeShell)
        return {Feed::gnomeShell, Surface::gnomeShell};
    return {compositorFeed, layerShellOffered ? Surface::layerShell : Surface::x11Window};
}
