#pragma once

#include "core/CInitializeCallback.h"

#include <kavro/LauncherDialog.h>

#include <functional>
#include <string>

namespace Orvane
{

class CApp;
class CHaldenExConfigSerializer;

// What the launcher starts from and what Start Game stores.
struct LauncherChoices
{
    int fullScreen = 0;
    int resolutionIndex = 3;
    int gameValue = 1;
};

// The game's start-up callback: installs the game's record and asks the player, in the launcher,
// how to start. Start Game (or no dialog at all) stores the choices in "system.dat"; Quit ends the
// start-up before a window opens.
class CHaldenInitCallback : public CInitializeCallback
{
public:
    using DialogRunner = std::function<int(Kavro::LauncherDialogModel&)>;
    using Opener = std::function<void(const std::string&)>;

    // Keeps a reference on the record (which may be null).
    explicit CHaldenInitCallback(CHaldenExConfigSerializer* record);
    ~CHaldenInitCallback() override;
    CHaldenInitCallback(const CHaldenInitCallback&) = delete;
    CHaldenInitCallback& operator=(const CHaldenInitCallback&) = delete;

    // 1 after Start Game (also when no dialog could be shown), 0 after Quit.
    int onInitialize(Kavro::ICore* core) override;

    // Tests put a scripted player and a recording opener in place of the window and xdg-open.
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    void setOpener(Opener opener) { open_ = std::move(opener); }

private:
    LauncherChoices readChoices(CApp& app) const;
    Kavro::LauncherDialogModel makeModel(Kavro::ICore& core, const LauncherChoices& choices) const;
    void storeChoices(CApp& app, const LauncherChoices& choices) const;

    CHaldenExConfigSerializer* record_;
    DialogRunner runDialog_;
    Opener open_;
};

} // namespace Orvane
