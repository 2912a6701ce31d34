// Where the windows find the platform services: message boxes, the shell,
// the clock, modal dialogs, the common dialogs and the network. Each defaults to its Qt
// implementation; tests install scripted ones (and must put back nullptr).
#pragma once

class IClock;
class IMessageLayer;
class IModalRunner;
class INetwork;
class IShell;
class ISystemDialogs;

class TPlatform {
public:
    static IMessageLayer& Messages();
    static IShell& Shell();
    static IClock& Clock();
    static IModalRunner& Modal();
    static ISystemDialogs& Dialogs();
    static INetwork& Network();

    // nullptr restores the Qt implementation. The caller keeps ownership.
    static void SetMessages(IMessageLayer* layer);
    static void SetShell(IShell* shell);
    static void SetClock(IClock* clock);
    static void SetModal(IModalRunner* runner);
    static void SetDialogs(ISystemDialogs* dialogs);
    static void SetNetwork(INetwork* network);
};
