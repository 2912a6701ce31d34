#include "platform/gui/Platform.h"

#include "platform/gui/QtMessageLayer.h"
#include "platform/gui/QtModalRunner.h"
#include "platform/gui/QtNetwork.h"
#include "platform/gui/QtShell.h"
#include "platform/gui/QtSystemDialogs.h"
#include "platform/gui/SystemClock.h"

namespace {

IMessageLayer* CurrentMessages = nullptr;
IShell* CurrentShell = nullptr;
IClock* CurrentClock = nullptr;
IModalRunner* CurrentModal = nullptr;
ISystemDialogs* CurrentDialogs = nullptr;
INetwork* CurrentNetwork = nullptr;

template <typename TDefault, typename TInterface> TInterface& OrDefault(TInterface* current)
{
    static TDefault fallback;
    return current ? *current : fallback;
}

} // namespace

IMessageLayer& TPlatform::Messages()
{
    return OrDefault<TQtMessageLayer>(CurrentMessages);
}
IShell& TPlatform::Shell()
{
    return OrDefault<TQtShell>(CurrentShell);
}
IClock& TPlatform::Clock()
{
    return OrDefault<TSystemClock>(CurrentClock);
}
IModalRunner& TPlatform::Modal()
{
    return OrDefault<TQtModalRunner>(CurrentModal);
}
ISystemDialogs& TPlatform::Dialogs()
{
    return OrDefault<TQtSystemDialogs>(CurrentDialogs);
}
INetwork& TPlatform::Network()
{
    return OrDefault<TQtNetwork>(CurrentNetwork);
}

void TPlatform::SetMessages(IMessageLayer* layer)
{
    CurrentMessages = layer;
}
void TPlatform::SetShell(IShell* shell)
{
    CurrentShell = shell;
}
void TPlatform::SetClock(IClock* clock)
{
    CurrentClock = clock;
}
void TPlatform::SetModal(IModalRunner* runner)
{
    CurrentModal = runner;
}
void TPlatform::SetDialogs(ISystemDialogs* dialogs)
{
    CurrentDialogs = dialogs;
}
void TPlatform::SetNetwork(INetwork* network)
{
    CurrentNetwork = network;
}
