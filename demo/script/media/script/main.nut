// The demo game: an opening, then a dialogue that is saved and loaded on the way (stage.nut), then a 3D
// scene (scene3d.nut). The scene runs in a coroutine; this script wakes it once a frame and carries out
// its saves and loads.
print("Orvane demo: main.nut started\n");

// Leaves a line in the save folder, so that a run can be told from the outside.
function writeRunLog()
{
    local log = SQFile("demo-run-log");
    local path = GetSavePathRoot() + "demo-run.txt";
    if (log.open(path, 1, 0) != 0)
    {
        print("Orvane demo: cannot write " + path + "\n");
        return;
    }
    log.writeString("The Orvane demo ran.\n", 0);
    // Opening the file again for reading closes the written one, which is when it is saved.
    log.open(path, 0, 0);
}

// Fonts belong to the engine, not to the scene: every run loads them, before a saved scene needs them.
function loadDemoFonts()
{
    local app = SQApp("demo-fonts");
    app.loadSystemFont("dialogue", "IPAexGothic", 30, 400, 10, 0, 0);
    app.loadSystemFont("dialogue-ruby", "IPAexGothic", 14, 400, 10, 0, 0);
    app.loadSystemFont("dialogue-name", "IPAexGothic", 26, 700, 10, 0, 0);
}

// Music under the whole demo, faded in; a missing sound device leaves the demo silent.
function playDemoMusic(music)
{
    if (music.create("sound/bgm.ogg") != 0)
        return;
    music.setLoop(-1, 0, 0);
    music.setVolume(0.0, 0, 0);
    music.play();
    music.setVolume(0.8, 1500, 0);
}

function sceneMain()
{
    runOpening();
    // A chime as the evening scene settles.
    ::demoChime <- stageMake("SQSound", "demo-chime", function(chime) { chime.load("sound/se.wav"); });
    ::demoChime.play();
    runDialogue();
    runScene3D();
}

Import("stage.nut");
Import("opening.nut");
Import("dialogue.nut");
Import("scene3d.nut");

writeRunLog();
loadDemoFonts();

if (stageTakeLoadMark())
{
    // A save that cannot be read starts the demo again from the beginning.
    if (!stageLoad())
    {
        SQDes("demo-des").reset();
        while (true)
            ::suspend();
    }
}
else
{
    ::demoMusic <- stageMake("SQSound", "demo-music", playDemoMusic);
    print("Orvane demo: music " + (::demoMusic.isPlaying() ? "playing" : "silent") + "\n");
    ::scene <- newthread(sceneMain);
    ::scene.call();
}

// Only what this run saved is loaded again.
local saved = false;
while (true)
{
    ::suspend();
    if (::scene.getstatus() != "suspended")
        break;
    // Cleared first: the save must not hold the request that made it.
    local request = ::stageRequest;
    ::stageRequest = null;
    if (request == "save")
        saved = stageSave();
    else if (request == "load" && saved && stageLoadAfterReset())
    {
        while (true)
            ::suspend();
    }
    ::scene.wakeup();
}

local frames = 0;
while (frames < 180)
{
    frames += 1;
    ::suspend();
}
print("Orvane demo: main.nut finished after " + frames + " frames\n");
::demoMusic.setVolume(0.0, 1000, 0);
for (local fade = 0; fade < 60; fade += 1)
    ::suspend();

// Quit the way a game does; a main script that just ended would show the engine's error box.
::demoApp <- SQApp("demo-app");
::demoApp.exit();
while (true)
    ::suspend();
