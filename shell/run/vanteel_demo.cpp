#include "shell/run/vanteel_demo.h"

#include "demo/particles.h"
#include "demo/programs.h"
#include "demo/scene.h"

Demo vanteelDemo()
{
    return {appConfig,      useResourceDirectory, initialise,         update,           render, handleMouse,
            effectFilePath, reloadShaders,        particlesSimulated, useParticleCount, resize, addFallbackDirectory};
}
