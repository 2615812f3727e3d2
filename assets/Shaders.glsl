// Vanteel's effect file. The store puts "#version 150" and a "#line" line in
// front of every section, so each one is a complete GLSL 1.50 shader.
//
// A spiral nebula of 700,000 particles turns slowly about the view axis.
// Every particle has a fixed lifetime drawn from its index; when it runs out
// the particle is reborn at its own place on one of three spiral arms, a
// little scattered across the arm. Holding the left button pulls the
// particles into a vortex around the pointer; letting go throws them out of
// it. Colour follows speed: slow particles are deep blue, fast ones turn
// cyan, then amber, then white.
//
// Units: positions are world units (the window spans -2.8 to 2.8 at depth
// 0), time is simulation time, which runs at a tenth of wall-clock time;
// TimeStep is five times the frame's step, so half a unit per real second.

-- tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;

uniform float TimeStep;
uniform float Time;
uniform vec3 mLoc;
uniform float explosion;
uniform float mUp;
// How many particles share the arms: more make them denser, never longer.
uniform int ParticleCount;

const float TwoPi = 6.2831853;
const float MaxSpeed = 9.0;
// The longest step integrated at once: a few frames' worth at the slowest
// rate the demo is usable at. After a stall (a debugger break, a suspended
// machine) the next step is seconds or minutes long, and integrated as given
// it would throw every particle off screen.
const float MaxTimeStep = 0.1;
// The same in the units of Time, which runs at a fifth of TimeStep's pace.
const float MaxClockStep = MaxTimeStep / 5.0;

uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

// Between 0.35 and 0.9 units of simulation time: 3.5 to 9 real seconds.
// Particle.VS uses the same formula, a copy the build keeps equal, to fade
// particles out.
float lifetimeOf(uint id)
{
    return 0.35 + 0.55 * float(hash(id ^ 0x5bd1e995u) >> 8u) * (1.0 / 16777216.0);
}

// Orbital speed of the nebula at distance r from the axis.
vec3 swirl(vec3 p)
{
    float r = length(p.xy) + 0.15;
    return vec3(-p.y, p.x, 0.0) * (0.9 / (r * sqrt(r)));
}

// The clock in 1/65,536ths of a unit, wrapping every 65,536 units (about a
// week of running) where converting Time * 65536.0 itself would overflow.
uint clockTicks(float time)
{
    float whole = mod(floor(time), 65536.0);
    return (uint(whole) << 16u) | uint(fract(time) * 65536.0);
}

// A rebirth's seed moves on with the clock, so no life repeats the last.
uint rebirthSeed(uint id, float time)
{
    return id ^ clockTicks(time) * 0x9e3779b9u;
}

// Sixteen random bits as a number in [0, 1).
float unit(uint bits)
{
    return float(bits & 0xffffu) * (1.0 / 65536.0);
}

// The seed of a particle's first birth, from the zero record.
uint firstBirthSeed(uint id)
{
    return id ^ 0x5bd1e995u;
}

// Every particle is born, and reborn, at its own place along one of the
// arms, set by its index, so that neighbouring particles in the buffer are
// neighbours on the screen: a rasteriser that bins points by screen tile then
// reads each tile's points from nearby memory. Two times sixteen random bits
// scatter the place across the arm and in depth. The frame benchmark's floor
// effect places its points with a copy of this, which the build keeps equal.
vec3 birthPlace(uint id, uint bits)
{
    float along = float(id) * (3.0 / float(ParticleCount));
    float arm = floor(along);
    float t = fract(along);
    float r = 0.12 + 2.3 * sqrt(t) * sqrt(sqrt(t));
    float angle = arm * (TwoPi / 3.0) + r * 2.1 + (unit(bits) - 0.5) * (0.25 + 0.5 / (r + 0.3));
    float thickness = 0.18 * exp(-r);
    return vec3(r * cos(angle), r * sin(angle), (unit(bits >> 16u) - 0.5) * thickness);
}

// The seed's three hashes give all the random numbers a birth needs, and one
// more, handed back in spare, for the part of a life a particle has already
// lived when it is born at start-up or after a gap.
void spawn(uint id, uint seed, out vec3 position, out vec3 velocity, out float spare)
{
    uint a = hash(seed);
    uint b = hash(a);
    uint c = hash(b);
    position = birthPlace(id, a);
    vec3 jitter = vec3(unit(b), unit(b >> 16u), unit(c)) - 0.5;
    velocity = swirl(position) + jitter * 0.2;
    spare = unit(c >> 16u);
}

void main()
{
    uint id = uint(gl_VertexID);
    float lifetime = lifetimeOf(id);
    float timeStep = min(TimeStep, MaxTimeStep);
    vec3 position = Position;
    vec3 velocity = Velocity;
    float birthTime = BirthTime;

    // The buffers start as zeros: the first birth gives each particle a life
    // already partly lived, so that they do not all die in the same frame.
    // One call of spawn serves both kinds of birth: a processor that shades
    // many particles in lockstep pays for a call whenever any of them takes it.
    bool unborn = BirthTime == 0.0 && Position == vec3(0.0) && Velocity == vec3(0.0);
    if (unborn || Time - BirthTime > lifetime) {
        // A life that ended longer ago than the longest step ran out inside
        // a gap (a stall, a suspended machine, a hidden page). Reborn at age
        // zero with all the others it would be faded out, and they would live
        // in lockstep ever after, so it too starts part-way through its life.
        bool missed = Time - BirthTime - lifetime > MaxClockStep;
        uint seed = unborn ? firstBirthSeed(id) : rebirthSeed(id, Time);
        float lived;
        spawn(id, seed, position, velocity, lived);
        birthTime = unborn || missed ? Time - lifetime * lived : Time;
    }

    // Left alone, velocities relax towards the orbit, plus a gentle ripple.
    vec3 ripple = vec3(sin(position.y * 3.1 + Time * 9.0), cos(position.x * 2.7 - Time * 7.0),
                       sin((position.x + position.y) * 2.3 + Time * 5.0)) * 0.12;
    vec3 drift = swirl(position) + ripple;
    velocity = mix(drift, velocity, exp(-1.2 * timeStep * mUp));

    // The pointer's pull and burst hang on uniforms alone, so a GPU skips
    // them for all particles at once in the many frames without either.
    vec3 toPointer = mLoc - position;
    float distance2 = dot(toPointer, toPointer);
    float towards = inversesqrt(distance2 + 0.0025);
    if (mUp < 1.0) {
        // Held: a vortex around the pointer, strongest close to it.
        vec3 pull = toPointer * towards * (6.0 / (distance2 + 0.3));
        vec3 spin = vec3(-toPointer.y, toPointer.x, 0.0) * (3.0 / (distance2 + 0.2));
        velocity += (pull + spin) * timeStep * (1.0 - mUp);
        velocity *= exp(-0.8 * timeStep * (1.0 - mUp));
    }
    if (explosion > 0.0) {
        // Released: one kick away from the pointer, harder for the close ones.
        float strength = 0.6 + 0.8 * unit(hash(id ^ 0x68e31da4u));
        velocity -= toPointer * towards * explosion * (8.0 / (sqrt(distance2) + 0.35)) * strength;
    }

    float speed = length(velocity);
    if (speed > MaxSpeed)
        velocity *= MaxSpeed / speed;

    vPosition = position + velocity * timeStep * 0.35;
    vBirthTime = birthTime;
    vVelocity = velocity;
}

-- Particle.VS
// The browser's Particle.VS (Shaders.web.glsl) has other outputs and a copy
// of every function here but main: the build stops when a copy differs.
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec4 gColor;

uniform float PointSize;
uniform float Time;
uniform mat4 ModelviewProjection;
uniform mat3 Modelview;
uniform vec3 mLoc;
uniform float mUp;

uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

float lifetimeOf(uint id)
{
    return 0.35 + 0.55 * float(hash(id ^ 0x5bd1e995u) >> 8u) * (1.0 / 16777216.0);
}

vec3 palette(float speed)
{
    vec3 deep = vec3(0.16, 0.22, 0.95);
    vec3 cyan = vec3(0.15, 0.85, 1.0);
    vec3 amber = vec3(1.0, 0.55, 0.12);
    vec3 white = vec3(1.0, 0.96, 0.9);
    float t = speed / 1.6;
    if (t < 1.0)
        return mix(deep, cyan, t);
    if (t < 2.5)
        return mix(cyan, amber, (t - 1.0) / 1.5);
    return mix(amber, white, clamp((t - 2.5) / 2.0, 0.0, 1.0));
}

// The particle's colour, and in alpha the share of light it lends its
// pixel; clip is its position in clip space.
vec4 shade(vec4 clip)
{
    float age = (Time - BirthTime) / lifetimeOf(uint(gl_VertexID));
    float fade = smoothstep(0.0, 0.06, age) * (1.0 - smoothstep(0.7, 1.0, age));

    // Particles heading towards the viewer are a little warmer.
    vec3 viewVelocity = Modelview * Velocity;
    vec3 color = palette(length(Velocity)) * (1.0 + 0.15 * clamp(viewVelocity.z, -1.0, 1.0));

    // While the button is held, the particles around the pointer glow.
    vec3 toPointer = mLoc - Position;
    float glow = (1.0 - mUp) * 0.6 / (1.0 + 40.0 * dot(toPointer, toPointer));

    // A particle is PointSize across: one that covers less than a pixel
    // lends the pixel only its share of light.
    float pixels = PointSize * ModelviewProjection[0][0] / clip.w * 512.0;
    return vec4(color + glow, 0.45 * fade * clamp(pixels * pixels, 0.2, 1.0));
}

void main()
{
    vec4 clip = ModelviewProjection * vec4(Position, 1.0);
    gColor = shade(clip);
    gl_Position = clip;
}

-- Particle.GS
// One point in, at most one out. A software rasteriser pays for every point
// this stage emits, so it drops the ones too faint to see; the clipper
// already drops those off screen, and the colour was finished upstream
// where a vertex costs less than here.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 gColor[];
// A point has one colour: flat, so the rasteriser sets up no gradients.
flat out vec4 fColor;

void main()
{
    if (gColor[0].a < 1.0 / 255.0)
        return;
    fColor = gColor[0];
    gl_Position = gl_in[0].gl_Position;
    EmitVertex();
    EndPrimitive();
}

-- Particle.FS
flat in vec4 fColor;
out vec4 FragColor;

void main()
{
    FragColor = fColor;
}

-- Composite.VS
in vec3 Position;
in vec2 TexCoord;

out vec2 vTexCoord;

void main()
{
    // The quad's t runs from the top edge down, the surfaces' rows from the
    // bottom up: flip t so that the picture stays upright.
    vTexCoord = vec2(TexCoord.x, 1.0 - TexCoord.y);
    gl_Position = vec4(Position, 1.0);
}

-- Composite.FS
in vec2 vTexCoord;
out vec4 FragColor;

uniform sampler2D BackgroundSampler;
uniform sampler2D ParticlesSampler;

void main()
{
    // The particle surface holds the blended particles over black, and in
    // alpha how much of what lies behind still shows through.
    vec4 background = texture(BackgroundSampler, vTexCoord);
    vec4 particles = texture(ParticlesSampler, vTexCoord);
    FragColor = vec4(particles.rgb + background.rgb * particles.a, 1.0);
}
--
