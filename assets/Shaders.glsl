// Vanteel's effect file. The store puts "#version 150" and a "#line" line in
// front of every section, so each one is a complete GLSL 1.50 shader.
//
// A spiral nebula of 700,000 particles turns slowly about the view axis.
// Every particle has a fixed lifetime drawn from its index; when it runs out
// the particle is reborn somewhere on one of three spiral arms. Holding the
// left button pulls the particles into a vortex around the pointer; letting
// go throws them out of it. Colour follows speed: slow particles are deep
// blue, fast ones turn cyan, then amber, then white.
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

const float TwoPi = 6.2831853;
const float MaxSpeed = 9.0;

uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

// Uniform in [0, 1); advances the state.
float random(inout uint state)
{
    state = hash(state);
    return float(state >> 8u) * (1.0 / 16777216.0);
}

// Between 0.35 and 0.9 units of simulation time: 3.5 to 9 real seconds.
// Particle.VS uses the same formula to fade particles out.
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

void spawn(uint seed, out vec3 position, out vec3 velocity)
{
    uint state = seed;
    float arm = floor(random(state) * 3.0);
    float r = 0.12 + 2.3 * pow(random(state), 0.75);
    float angle = arm * (TwoPi / 3.0) + r * 2.1 + (random(state) - 0.5) * (0.25 + 0.5 / (r + 0.3));
    float thickness = 0.18 * exp(-r);
    position = vec3(r * cos(angle), r * sin(angle), (random(state) - 0.5) * thickness);
    vec3 jitter = vec3(random(state), random(state), random(state)) - 0.5;
    velocity = swirl(position) + jitter * 0.2;
}

void main()
{
    uint id = uint(gl_VertexID);
    float lifetime = lifetimeOf(id);
    vec3 position = Position;
    vec3 velocity = Velocity;
    float birthTime = BirthTime;

    // The buffers start as zeros: give each particle a life already partly
    // lived, so that they do not all die in the same frame.
    bool unborn = BirthTime == 0.0 && Position == vec3(0.0) && Velocity == vec3(0.0);
    if (unborn) {
        uint state = hash(id);
        spawn(state, position, velocity);
        birthTime = Time - lifetime * random(state);
    } else if (Time - BirthTime > lifetime) {
        spawn(hash(id ^ hash(uint(Time * 65536.0))), position, velocity);
        birthTime = Time;
    }

    // Left alone, velocities relax towards the orbit, plus a gentle ripple.
    vec3 ripple = vec3(sin(position.y * 3.1 + Time * 9.0), cos(position.x * 2.7 - Time * 7.0),
                       sin((position.x + position.y) * 2.3 + Time * 5.0)) * 0.12;
    vec3 drift = swirl(position) + ripple;
    velocity = mix(drift, velocity, exp(-1.2 * TimeStep * mUp));

    // Held: a vortex around the pointer, strongest close to it.
    vec3 toPointer = mLoc - position;
    float distance2 = dot(toPointer, toPointer);
    vec3 pull = toPointer * inversesqrt(distance2 + 0.0025) * (6.0 / (distance2 + 0.3));
    vec3 spin = vec3(-toPointer.y, toPointer.x, 0.0) * (3.0 / (distance2 + 0.2));
    velocity += (pull + spin) * TimeStep * (1.0 - mUp);
    velocity *= exp(-0.8 * TimeStep * (1.0 - mUp));

    // Released: one kick away from the pointer, harder for the close ones.
    uint kickState = hash(id ^ 0x68e31da4u);
    vec3 away = -toPointer * inversesqrt(distance2 + 0.0025);
    velocity += away * explosion * (8.0 / (sqrt(distance2) + 0.35)) * (0.6 + 0.8 * random(kickState));

    float speed = length(velocity);
    if (speed > MaxSpeed)
        velocity *= MaxSpeed / speed;

    vPosition = position + velocity * TimeStep * 0.35;
    vBirthTime = birthTime;
    vVelocity = velocity;
}

-- Particle.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec4 gColor;

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

void main()
{
    float age = (Time - BirthTime) / lifetimeOf(uint(gl_VertexID));
    float fade = smoothstep(0.0, 0.06, age) * (1.0 - smoothstep(0.7, 1.0, age));

    // Particles heading towards the viewer are a little warmer.
    vec3 viewVelocity = Modelview * Velocity;
    vec3 color = palette(length(Velocity)) * (1.0 + 0.15 * clamp(viewVelocity.z, -1.0, 1.0));

    // While the button is held, the particles around the pointer glow.
    vec3 toPointer = mLoc - Position;
    float glow = (1.0 - mUp) * 0.6 / (1.0 + 40.0 * dot(toPointer, toPointer));

    gColor = vec4(color + glow, 0.45 * fade);
    gl_Position = ModelviewProjection * vec4(Position, 1.0);
}

-- Particle.GS
// One point in, at most one point out: a software rasteriser pays for every
// vertex this stage emits, so it only culls what would not be seen.
layout(points) in;
layout(points, max_vertices = 1) out;

in vec4 gColor[];
out vec4 fColor;

uniform float PointSize;
uniform mat4 ModelviewProjection;

void main()
{
    vec4 clip = gl_in[0].gl_Position;
    if (gColor[0].a < 1.0 / 255.0 || clip.w <= 0.0 || any(greaterThan(abs(clip.xyz), vec3(clip.w))))
        return;
    // A particle is PointSize across: one that covers less than a pixel
    // lends the pixel only its share of light.
    float pixels = PointSize * ModelviewProjection[0][0] / clip.w * 512.0;
    fColor = vec4(gColor[0].rgb, gColor[0].a * clamp(pixels * pixels, 0.2, 1.0));
    gl_Position = clip;
    EmitVertex();
    EndPrimitive();
}

-- Particle.FS
in vec4 fColor;
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
