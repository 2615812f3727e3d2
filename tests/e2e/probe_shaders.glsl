// An effect file that makes the mouse state readable from the screen: the
// first particle sits at "mLoc" and is drawn as a 16-pixel square, red while
// the button is held ("mUp" 0) and blue while it is up. The second counts
// the frames simulated, modulo 256, in its BirthTime, and is drawn as a
// 16-pixel square at the left edge's middle, red with that count as its green
// channel: the tests wait on frames by reading it. Every other particle is
// drawn nowhere. The rest of the window shows the grey background.

-- tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;

uniform vec3 mLoc;
uniform float mUp;

void main()
{
    bool probe = gl_VertexID == 0;
    bool counter = gl_VertexID == 1;
    vPosition = probe ? mLoc : vec3(0.0);
    vBirthTime = probe ? mUp : counter ? mod(floor(max(BirthTime, 0.0)) + 1.0, 256.0) : -1.0;
    vVelocity = Position + vec3(BirthTime) + Velocity;
}

-- Particle.VS
in vec3 Position;
in float BirthTime;

out float gBirthTime;
out float gCounter;

uniform mat4 ModelviewProjection;

void main()
{
    gl_Position = ModelviewProjection * vec4(Position, 1.0);
    gBirthTime = BirthTime;
    gCounter = gl_VertexID == 1 ? 1.0 : 0.0;
}

-- Particle.GS
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

in float gBirthTime[];
in float gCounter[];
out vec3 fColour;

void main()
{
    if (gBirthTime[0] < 0.0)
        return;
    bool counter = gCounter[0] > 0.5;
    vec4 centre = counter ? vec4(-1.0 + 8.0 / 512.0, 0.0, 0.0, 1.0) : gl_in[0].gl_Position;
    // 8 pixels either way in a 1024-pixel window.
    vec2 halfSize = vec2(8.0 / 512.0) * centre.w;
    fColour = counter ? vec3(1.0, gBirthTime[0] / 255.0, 0.0)
                      : gBirthTime[0] < 0.5 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 0.0, 1.0);
    for (int corner = 0; corner < 4; ++corner) {
        vec2 side = vec2(corner % 2 == 0 ? -1.0 : 1.0, corner < 2 ? -1.0 : 1.0);
        gl_Position = centre + vec4(side * halfSize, 0.0, 0.0);
        EmitVertex();
    }
    EndPrimitive();
}

-- Particle.FS
in vec3 fColour;
out vec4 FragColour;

void main()
{
    FragColour = vec4(fColour, 1.0);
}

-- Composite.VS
in vec4 Position;
in vec2 TexCoord;
out vec2 vTexCoord;

void main()
{
    gl_Position = Position;
    // The quad's t runs downwards, the surface's rows upwards.
    vTexCoord = vec2(TexCoord.x, 1.0 - TexCoord.y);
}

-- Composite.FS
in vec2 vTexCoord;
out vec4 FragColour;

uniform sampler2D BackgroundSampler;
uniform sampler2D ParticlesSampler;

void main()
{
    vec4 particles = texture(ParticlesSampler, vTexCoord);
    vec4 background = texture(BackgroundSampler, vTexCoord);
    FragColour = max(particles.r, particles.b) > 0.5 ? particles : background;
}
