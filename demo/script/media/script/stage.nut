// The scene's engine objects and how a game is saved and loaded.
//
// The scene runs in a coroutine held by the root table (::scene). A save writes the whole root table,
// the suspended coroutine with it, into a script state file; a load soft-resets the engine and reads
// the file back into the new machine, and main.nut wakes the coroutine where it stopped. The engine
// objects are made again by the script: every one is made through stageMake, which keeps the object's
// class, its name and a closure that builds it as it should look; the object's own record (typing,
// effects) is written after it.

::stageObjects <- {};
// "save" or "load", asked by the scene and carried out by main.nut between frames, while the scene
// is suspended (a running coroutine cannot be saved).
::stageRequest <- null;
// How many times the running scene came from a load; never more than 0 in a saved file.
::stageLoads <- 0;

::STAGE_FILE <- "scene.sav";
// Left in the save folder across the soft reset: the next run loads the scene instead of starting it.
::STAGE_LOAD_MARK <- "scene-load.txt";
// The classes a saved scene may name; a damaged save never makes anything else.
::stageKinds <- { SQSprite = true, SQText = true, SQSound = true, SQApp = true };

function stageMake(kind, name, build)
{
    local object = ::getroottable()[kind](name);
    ::stageObjects[object] <- { kind = kind, name = name, build = build };
    build(object);
    return object;
}

// How a load builds the object from now on.
function stageRebuildWith(object, build)
{
    ::stageObjects[object].build = build;
}

function stageSavePath()
{
    return GetSavePathRoot() + ::STAGE_FILE;
}

// Every object held from the root table, with its class and name; its record after it.
function stageSave()
{
    local file = SQFile("stage-save");
    if (file.open(stageSavePath(), 1, 0) != 0)
    {
        print("Orvane demo: cannot write " + stageSavePath() + "\n");
        return false;
    }
    local writeInfo = function(object) : (file)
    {
        if (!(object in ::stageObjects))
            throw "an engine object that was not made through stageMake";
        local entry = ::stageObjects[object];
        file.writeString(entry.kind, 1);
        file.writeString(entry.name, 1);
    };
    local writeState = function(object) : (file)
    {
        if ("serialize" in object && object.serialize("stage-save") != 1)
            throw "the record of " + ::stageObjects[object].name + " was not written";
        // A text's record holds its glyphs; how far it has typed is the text's typing timer.
        if (object instanceof SQText)
            file.writeFloat(object.getTypingTimer());
    };
    CreateReferenceTable(null, null);
    local result = SerializeRootTable("stage-save", writeInfo, writeState, null);
    ClearReferenceTable();
    local size = file.getFilePosition();
    // Opening the file for reading closes the written one, which is when it replaces the old save.
    file.open(stageSavePath(), 0, 0);
    print("Orvane demo: saved the scene at line " + ::dialogueLine + " (" + (result == 0 ? size + " bytes" : "failed") + ")\n");
    return result == 0;
}

function stageReadMark()
{
    local path = GetSavePathRoot() + ::STAGE_LOAD_MARK;
    if (!CheckFileExists(path))
        return "";
    local file = SQFile("stage-mark");
    if (file.open(path, 0, 0) != 0)
        return "";
    local mark = file.readString(0);
    return mark == null ? "" : mark;
}

function stageWriteMark(mark)
{
    local path = GetSavePathRoot() + ::STAGE_LOAD_MARK;
    local file = SQFile("stage-mark");
    if (file.open(path, 1, 0) != 0)
        return false;
    file.writeString(mark, 1);
    file.open(path, 0, 0);
    return true;
}

// Loading starts from a clean engine: the mark tells the next run to read the save.
function stageLoadAfterReset()
{
    if (!stageWriteMark("load"))
    {
        print("Orvane demo: cannot ask for a load\n");
        return false;
    }
    SQDes("stage-des").reset();
    return true;
}

// True once for the run that follows stageLoadAfterReset.
function stageTakeLoadMark()
{
    if (stageReadMark() != "load")
        return false;
    stageWriteMark("");
    return true;
}

// Reads the save into this machine: the root table gets the saved globals, ::scene the saved coroutine.
function stageLoad()
{
    local file = SQFile("stage-load");
    if (file.open(stageSavePath(), 0, 0) != 0)
    {
        print("Orvane demo: no saved scene at " + stageSavePath() + "\n");
        return false;
    }
    local create = function() : (file)
    {
        local kind = file.readString(0);
        local name = file.readString(0);
        if (kind == null || name == null || !(kind in ::stageKinds))
            throw "the save names no object the demo makes";
        return ::getroottable()[kind](name);
    };
    local readState = function(object) : (file)
    {
        ::stageObjects[object].build(object);
        if ("deserialize" in object && object.deserialize("stage-load") != 1)
            throw "the record of " + ::stageObjects[object].name + " was not read";
        if (object instanceof SQText)
        {
            local typed = file.readFloat();
            if (typed == null)
                throw "the typing of " + ::stageObjects[object].name + " was not read";
            object.setTypingTimer(typed);
        }
    };
    local lost = function(object)
    {
        print("Orvane demo: " + ::stageObjects[object].name + " could not be read back\n");
        return -1;
    };
    local result = DeserializeRootTable("stage-load", create, readState, lost);
    ClearReferenceTable();
    if (result != 0)
    {
        print("Orvane demo: the saved scene could not be loaded (" + result + ")\n");
        return false;
    }
    ::stageLoads += 1;
    print("Orvane demo: loaded the scene at line " + ::dialogueLine + "\n");
    return true;
}
