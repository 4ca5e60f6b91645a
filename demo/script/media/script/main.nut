// The demo's first scene: shows that scripts run, frame by frame.
print("Orvane demo: main.nut started\n");

local frames = 0;
while (frames < 180)
{
    frames += 1;
    ::suspend();
}
print("Orvane demo: main.nut finished after " + frames + " frames\n");
