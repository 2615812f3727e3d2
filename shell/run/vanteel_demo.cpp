#include "shell/run/vanteel_demo.h"

#include "demo/particles.h"
#include "demo/programs.h"
#include "demo/scene.h"

static int64_t particleCount() { return ParticleCount; }

Demo vanteelDemo()
{
    return {appConfig,   useResourceDirectory, initialise,    update,        render,
            handleMouse, effectFilePath,       reloadShaders, particleCount, addFallbackDirectory};
}
