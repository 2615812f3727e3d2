#include "vanteel_demo.h"

#include "particles.h"
#include "programs.h"
#include "scene.h"

static int64_t particleCount() { return ParticleCount; }

Demo vanteelDemo()
{
    return {appConfig,   useResourceDirectory, initialise,    update,       render,
            handleMouse, effectFilePath,       reloadShaders, particleCount};
}
