#include "PlatformChoice.h"

PlatformChoice PlatformChoice::choose(bool waylandSession, bool kwinScriptAnswers, bool layerShellOffered)
{
    if (!waylandSession)
        return {};
    return {kwinScriptAnswers ? Feed::kwinScript : Feed::none,
            layerShellOffered ? Surface::layerShell : Surface::x11Window};
}
