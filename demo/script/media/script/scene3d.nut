// The demo's 3D scene, after the dialogue: the girl of the opening as a 3D character on a lawn under the
// evening sky. She idles, waves with her right arm on a second motion layer, blinks, turns her head and
// eyes to the camera and says hello, her mouth following the voice's lip timeline; a camera glides in
// along a timeline, a warm point light circles her, and boxes and balls drop onto the lawn beside her and
// come to rest. The dialogue box stays over the scene. Nothing of it is saved: it begins after the load.

// The physics world the scene makes and deletes again.
::SCENE_WORLD <- 1;
// Every 3D object of the scene: drawn in one pass where the first of them stands in the priority order,
// above the evening picture (10) and below the dialogue box (100).
::SCENE_PRIORITY <- 50;
::SCENE_FRAMES <- 600;

// Says what failed; true when the result is a success (0 or more).
function sceneCheck(result, what)
{
    if (result < 0)
        print("Orvane demo: " + what + " failed\n");
    return result >= 0;
}

function sceneVector(x, y, z)
{
    return { x = x, y = y, z = z };
}

function sceneCharacter()
{
    local chara = SQModelCharacter("scene-chara");
    if (!sceneCheck(chara.loadModel("model/chara.glb"), "loading the character"))
        return null;
    chara.setPriority(::SCENE_PRIORITY);
    chara.move(0.0, 0.0, 0.0, 0, 0);

    chara.loadMotion("motion/idle.anm");
    chara.loadMotion("motion/wave.anm");
    chara.setMotionLoop("idle", 1);
    chara.setMotion("idle");
    // The right arm waves over the idle from its own layer: first after two seconds, then again each time
    // a second after the wave before it ended.
    local wave = chara.getMotionMaxFrameTimeByName("wave").tointeger();
    chara.addLayerMotion(1, "wave", 2000);
    chara.addLayerMotion(1, "wave", wave + 1000);
    chara.addLayerMotion(1, "LOOP", 0);

    // The face: the eyes blend from open to shut (the random blink), the mouth from closed to open.
    // Every load makes a new face, so this follows the load.
    chara.initFace("eye", "mouth");
    chara.makeFace("normal", "eye_open", "eye_blink", "mouth_open", "mouth_close");
    if (sceneCheck(chara.loadMorph("smile", "morph/smile.mph"), "loading the smile"))
    {
        chara.makeFace("smile", "eye_open", "eye_blink", "mouth_open", "smile");
        chara.setChangeFaceSpeed("smile", 400);
    }
    chara.setFace("normal");

    chara.setFrameName_Head("head");
    chara.setFrameName_SpineRoot("spine");
    chara.setFrameName_EyeL("eye_L");
    chara.setFrameName_EyeR("eye_R");
    return chara;
}

// From a wide view of the lawn the camera glides in towards her face, keeping its eye on her.
function sceneCamera()
{
    local camera = SQCamera("scene-camera");
    camera.create(35.0, 1280.0 / 720.0, 0.1, 100.0);
    camera.setFixedLookAt(1);
    camera.move3D(1.6, 1.9, -5.2, 0, 0);
    camera.lookAt(0.45, 1.0, 0.0);
    camera.setSceneCamera();
    local still = sceneVector(0.0, 0.0, 0.0);
    camera.setTimeline(sceneVector(1.6, 1.9, -5.2), still, 35.0, 0, 1.0);
    camera.setTimeline(sceneVector(1.1, 1.6, -4.2), still, 32.0, 2500, 1.0);
    camera.setTimeline(sceneVector(0.7, 1.45, -3.4), still, 30.0, 5000, 1.0);
    camera.beginTimeline(5000, 0);
    return camera;
}

// The evening sun low on the left in front of her, shadows, and bloom.
function sceneSettings()
{
    local scene = SQScene("scene-settings");
    scene.setLightLookAt(0.0, 0.8, 0.0);
    scene.setLightPosition(-6.0, 9.0, -8.0);
    scene.setLightColor(1.0, 0.88, 0.72, 0, 0);
    scene.setShadowMapOffsetRotate(0.0, 0.0, 0.0);
    scene.setHDRBloomEnable(1);
    scene.setHDRBrightPassLowLimit(0.9, 0, 0);
    scene.setHDRBloom(1.2, 0, 0);
    return scene;
}

function scenePointLight()
{
    local light = SQPointLight("scene-light");
    light.create(1.2, 1.5, 0.0, 0.0, 1.0, 0.0);
    light.setPriority(::SCENE_PRIORITY);
    // Made dark: colour and power are given here.
    light.setColor(1.0, 0.7, 0.4, 0, 0);
    light.setPower(1.5, 0, 0);
    light.setRange(4.0, 0, 0);
    return light;
}

// The light's place on its circle round her, at waist height, one turn in four seconds.
function sceneLightStep(light, frame)
{
    local angle = frame * (2.0 * PI / 240.0);
    light.move(1.2 * cos(angle), 1.1, 1.2 * sin(angle), 0, 0);
}

// A body of the world with the model that shows it. Bodies are erased: the models are what is seen.
function sceneProp(kind, name, position, size, rotation)
{
    local body = SQRigidBody(name + "-body");
    local made = kind == "box" ? body.createBox(1.0, position, sceneVector(size, size, size), ::SCENE_WORLD)
                               : body.createSphere(1.0, position, size * 0.5, ::SCENE_WORLD);
    if (!sceneCheck(made, "making the body " + name))
        return null;
    body.setErase(1);
    body.setPriority(::SCENE_PRIORITY);
    body.setFrictionalCoefficient(0.8);
    body.setRestitutionCoefficient(0.3);
    // Rolling balls would roll on for ever.
    body.setAngularDamping(0.4);
    body.rotate(rotation.x, rotation.y, rotation.z, 0, 0);

    local model = SQModel(name);
    if (!sceneCheck(model.loadModel("model/" + kind + ".glb"), "loading the model of " + name))
        return null;
    // The models are a metre across.
    model.scale(size, size, size, 0, 0);
    model.setPriority(::SCENE_PRIORITY);
    local prop = { name = name, body = body, model = model };
    scenePropStep(prop);
    return prop;
}

// The model takes its body's place and turn.
function scenePropStep(prop)
{
    prop.body.getPosition();
    prop.model.move(::SQMATH_RET_1, ::SQMATH_RET_2, ::SQMATH_RET_3, 0, 0);
    prop.body.getRotate();
    prop.model.rotate(::SQMATH_RET_1, ::SQMATH_RET_2, ::SQMATH_RET_3, 0, 0);
}

// The lawn (a plane of the world under a floor model) and the props dropped onto it.
function sceneProps(app)
{
    local props = [];
    if (!sceneCheck(app.createPhysicsWorld(::SCENE_WORLD), "making the physics world"))
        return props;
    local plane = SQRigidBody("scene-lawn-body");
    if (!sceneCheck(plane.createPlane(sceneVector(0.0, 0.0, 0.0), sceneVector(0.0, 1.0, 0.0), ::SCENE_WORLD),
                    "making the lawn"))
        return props;
    plane.setErase(1);
    plane.setPriority(::SCENE_PRIORITY);
    plane.setFrictionalCoefficient(0.8);
    props.append({ name = "scene-lawn", body = plane, model = null });

    local drops = [
        ["box", "scene-box-1", sceneVector(1.0, 1.6, 0.3), 0.4, sceneVector(20.0, 35.0, 10.0)],
        ["ball", "scene-ball-1", sceneVector(1.7, 2.4, -0.2), 0.36, sceneVector(0.0, 0.0, 0.0)],
        ["box", "scene-box-2", sceneVector(2.3, 3.0, 0.6), 0.5, sceneVector(0.0, 50.0, 30.0)],
        ["ball", "scene-ball-2", sceneVector(1.2, 3.6, 1.2), 0.3, sceneVector(0.0, 0.0, 0.0)],
        ["box", "scene-box-3", sceneVector(1.6, 4.4, 1.6), 0.35, sceneVector(40.0, 10.0, 0.0)]
    ];
    foreach (drop in drops)
    {
        local prop = sceneProp(drop[0], drop[1], drop[2], drop[3], drop[4]);
        if (prop != null)
            props.append(prop);
    }
    return props;
}

// Where each prop came to rest, for whoever watches the terminal.
function scenePrintRest(props)
{
    foreach (prop in props)
        if (prop.model != null)
        {
            prop.body.getPosition();
            print(format("Orvane demo: %s rests at %.2f %.2f %.2f\n", prop.name,
                         ::SQMATH_RET_1, ::SQMATH_RET_2, ::SQMATH_RET_3));
        }
}

// She says hello: the line in the dialogue box, the voice, and the mouth on the voice's lip timeline.
function sceneSpeak(chara, voice)
{
    ::dialogueText.create("こんにちは！");
    ::dialogueText.pushAll();
    if (voice != null)
    {
        voice.play();
        // The voice moves the mouth by its level when no lip timeline runs.
        chara.setVoice("scene-voice");
    }
    chara.loadLipTimeline("voice/hello.lip");
}

function runScene3D()
{
    local app = SQApp("scene-app");
    // The frame drawn next is kept and fades out over the new scene.
    app.fadeoutScreen(800);
    ::suspend();
    ::openingGirl.fade(0.0, 0, 0);
    ::dialogueText.create("");

    local scene = sceneSettings();
    local camera = sceneCamera();
    local light = scenePointLight();
    local floor = SQModel("scene-floor");
    if (sceneCheck(floor.loadModel("model/floor.glb"), "loading the floor"))
        floor.setPriority(::SCENE_PRIORITY);
    local chara = sceneCharacter();
    local props = sceneProps(app);
    local voice = SQSound("scene-voice");
    if (voice.load("voice/hello.ogg") != 0)
        voice = null;
    print("Orvane demo: the 3D scene begins\n");

    for (local frame = 0; frame < ::SCENE_FRAMES; frame += 1)
    {
        if (chara != null)
        {
            if (frame == 60)
            {
                // Head and eyes turn to the camera.
                chara.focusFace(1.0, 700, 2, 0);
                chara.focusEye(1.0, 400, 2, 200);
            }
            else if (frame == 150)
                sceneSpeak(chara, voice);
            else if (frame == 270)
                chara.setFace("smile");
        }
        sceneLightStep(light, frame);
        foreach (prop in props)
            if (prop.model != null)
                scenePropStep(prop);
        ::suspend();
    }
    scenePrintRest(props);

    // Back to the picture of the evening with the girl.
    app.fadeoutScreen(800);
    ::suspend();
    ::openingGirl.fade(1.0, 0, 0);
    ::dialogueText.create("");
    print("Orvane demo: the 3D scene ends\n");
    // The bodies go before their world.
    props = null;
    chara = null;
    floor = null;
    light = null;
    camera = null;
    scene = null;
    voice = null;
    if (app.deletePhysicsWorld(::SCENE_WORLD) == 0)
        print("Orvane demo: the physics world is gone\n");
}
