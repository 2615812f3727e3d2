#include "vanteel_demo.h"

#include "particles.h"
#include "programs.h"
#include "scene.h"

Demo vanteelDemo()
{
    return {appConfig, useResourceDirectory, initialise, update, render, handleMouse, effectFilePath, reloadShaders};
}
