// The demo's dialogue: a box over the scene with the speaker's name and Japanese lines with ruby,
// typed out. A click or Return shows the whole line while it types and the next line after it;
// left alone, a line stays about a second. After the second line the scene is saved, and after
// the last one it is loaded again, which brings the saved line back as it stood.

::dialogueLines <- [
    "#{ゆうひ}夕日#がきれいですね。ここから#{まち}町#がぜんぶ#{み}見#えるんですよ。",
    "#{あした}明日#もこの#{じかん}時間#に、#{おか}丘#の#{うえ}上#で#{ま}待#っています。",
    "#{やくそく}約束#ですよ。#{わす}忘#れないでくださいね。"
];

// DirectInput's number of the Return key.
::DIALOGUE_KEY_RETURN <- 0x1C;
::DIALOGUE_SAVE <- "dialogue.sav";
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

function makeDialogueText(name, font, rubyFont, x, y, width, height)
{
    local text = SQText(name);
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
    return text;
}

function showDialogueLine(index)
{
    ::dialogueLine = index;
    ::dialogueText.create(::dialogueLines[index]);
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

// The line's number, then the text's own record behind the file object's part.
function saveDialogue()
{
    local file = SQFile("dialogue-save");
    if (file.open(GetSavePathRoot() + ::DIALOGUE_SAVE, 1, 0) != 0)
        return false;
    file.writeInteger(::dialogueLine);
    local written = ::dialogueText.serialize("dialogue-save");
    // Opening the file for reading closes the written one, which is when it is saved.
    file.open(GetSavePathRoot() + ::DIALOGUE_SAVE, 0, 0);
    print("Orvane demo: saved line " + ::dialogueLine + " (" + written + ")\n");
    return written == 1;
}

// Lays the saved line out again and puts its saved typing and effects back onto it.
function loadDialogue()
{
    local file = SQFile("dialogue-load");
    if (file.open(GetSavePathRoot() + ::DIALOGUE_SAVE, 0, 0) != 0)
        return false;
    local line = file.readInteger();
    if (line == null || line < 0 || line >= ::dialogueLines.len())
        return false;
    showDialogueLine(line);
    local read = ::dialogueText.deserialize("dialogue-load");
    print("Orvane demo: loaded line " + line + " (" + read + ")\n");
    return read == 1;
}

function runDialogue()
{
    ::dialogueApp <- SQApp("dialogue-app");
    ::dialogueApp.loadSystemFont("dialogue", "IPAexGothic", 30, 400, 10, 0, 0);
    ::dialogueApp.loadSystemFont("dialogue-ruby", "IPAexGothic", 14, 400, 10, 0, 0);
    ::dialogueApp.loadSystemFont("dialogue-name", "IPAexGothic", 26, 700, 10, 0, 0);

    ::dialogueBox <- SQSprite("dialogue-box");
    ::dialogueBox.createColor(1200, 190, 0.05, 0.05, 0.2);
    ::dialogueBox.move(40.0, 505.0, 0, 0);
    ::dialogueBox.fade(0.8, 0, 0);
    ::dialogueBox.setPriority(100);

    ::dialogueName <- makeDialogueText("dialogue-name", "dialogue-name", "dialogue-ruby", 70.0, 470.0, 400, 40);
    ::dialogueName.setFontColor(-1, 1.0, 0.85, 0.5, 0, 0);
    ::dialogueName.create("ユイ");
    ::dialogueName.pushAll();

    ::dialogueText <- makeDialogueText("dialogue-text", "dialogue", "dialogue-ruby", 80.0, 545.0, 1120, 140);

    for (local i = 0; i < ::dialogueLines.len(); i += 1)
    {
        showDialogueLine(i);
        // Saved while the line types, so the load brings back a line half typed.
        if (i == 1)
        {
            for (local f = 0; f < 20; f += 1)
                ::suspend();
            saveDialogue();
        }
        playDialogueLine();
    }
    if (loadDialogue())
        playDialogueLine();
}
