// The demo's first scene: shows that scripts run, frame by frame.
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

// Music under the whole demo, faded in; a missing sound device leaves the demo silent.
::demoMusic <- SQSound("demo-music");
if (::demoMusic.create("sound/bgm.ogg") == 0)
{
    ::demoMusic.setLoop(-1, 0, 0);
    ::demoMusic.setVolume(0.0, 0, 0);
    ::demoMusic.play();
    ::demoMusic.setVolume(0.8, 1500, 0);
}
print("Orvane demo: music " + (::demoMusic.isPlaying() ? "playing" : "silent") + "\n");

writeRunLog();
Import("opening.nut");
runOpening();
// A chime as the evening scene settles.
::demoChime <- SQSound("demo-chime");
if (::demoChime.load("sound/se.wav") == 0)
    ::demoChime.play();
Import("dialogue.nut");
runDialogue();
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
