// The demo's dialogue: a box over the scene with the speaker's name and Japanese lines with ruby,
// typed out. A click or Return shows the whole line while it types and the next line after it;
// left alone, a line stays about a second. While the second line types the game is saved; after
// the last line it is loaded, which brings the saved line back as it stood and plays on from there.

::dialogueLines <- [
    "#{ゆうひ}夕日#がきれいですね。ここから#{まち}町#がぜんぶ#{み}見#えるんですよ。",
    "#{あした}明日#もこの#{じかん}時間#に、#{おか}丘#の#{うえ}上#で#{ま}待#っています。",
    "#{やくそく}約束#ですよ。#{わす}忘#れないでくださいね。"
];

// DirectInput's number of the Return key.
::DIALOGUE_KEY_RETURN <- 0x1C;
::dialogueLine <- 0;
::dialogueInputHeld <- true;

// True once per press of Return or the left mouse button.
function dialoguePressed()
{
    local held = ::dialogueApp.getKeyState(::DIALOGUE_KEY_RETURN) != 0 || ::dialogueApp.getMouseButtonStateL() != 0;
    local pressed = held && !::dialogueInputHeld;
    ::dialogueInputHeld = held;
    return pressed;
}

function setUpDialogueText(text, font, rubyFont, x, y, width, height)
{
    // A parent, so the text moves with the task's frame tree.
    text.initialize(0);
    text.setFont(font);
    text.setRubyFont(rubyFont);
    text.setField(width, height);
    text.setRowSpace(16);
    text.setRubyOffset(-5);
    text.setPitchSpace(1, 0);
    text.move(x, y, 0, 0);
    text.setPriority(110);
}

function buildDialogueText(text)
{
    setUpDialogueText(text, "dialogue", "dialogue-ruby", 80.0, 545.0, 1120, 140);
}

function showDialogueLine(index)
{
    ::dialogueLine = index;
    ::dialogueText.create(::dialogueLines[index]);
    // A load lays the line out again; the text's record then brings its typing back.
    stageRebuildWith(::dialogueText, function(text) : (index)
    {
        buildDialogueText(text);
        text.create(::dialogueLines[index]);
    });
    print("Orvane demo: line " + index + "\n");
}

// Types the current line, then waits for a press or about a second.
function playDialogueLine()
{
    local idle = 0;
    while (::dialogueText.isTyping() != 0)
    {
        if (dialoguePressed())
            ::dialogueText.pushAll();
        ::suspend();
    }
    while (idle < 60 && !dialoguePressed())
    {
        idle += 1;
        ::suspend();
    }
}

function runDialogue()
{
    ::dialogueApp <- stageMake("SQApp", "dialogue-app", function(app) {});

    ::dialogueBox <- stageMake("SQSprite", "dialogue-box", function(box)
    {
        box.createColor(1200, 190, 0.05, 0.05, 0.2);
        box.move(40.0, 505.0, 0, 0);
        box.fade(0.8, 0, 0);
        box.setPriority(100);
    });

    ::dialogueName <- stageMake("SQText", "dialogue-name", function(name)
    {
        setUpDialogueText(name, "dialogue-name", "dialogue-ruby", 70.0, 470.0, 400, 40);
        name.setFontColor(-1, 1.0, 0.85, 0.5, 0, 0);
        name.create("ユイ");
        name.pushAll();
    });

    ::dialogueText <- stageMake("SQText", "dialogue-text", buildDialogueText);

    for (local i = 0; i < ::dialogueLines.len(); i += 1)
    {
        showDialogueLine(i);
        // Saved while the line types, so the load brings back a line half typed.
        if (i == 1)
        {
            for (local f = 0; f < 8; f += 1)
                ::suspend();
            ::stageRequest = "save";
            ::suspend();
        }
        playDialogueLine();
    }
    // Once: the loaded scene plays on from the saved line and ends here.
    if (::stageLoads == 0)
    {
        ::stageRequest = "load";
        ::suspend();
    }
}
