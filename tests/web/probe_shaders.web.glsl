// The browser's probe effect file (GLSL ES 3.00), which makes the mouse state
// readable from the page: the first particle sits at "mLoc" and is drawn as
// a 16-pixel point, red while the button is held ("mUp" 0) and blue while it
// is up; every other particle is moved outside the clip volume. The rest of
// the canvas shows the grey background.

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
    vPosition = probe ? mLoc : vec3(0.0);
    vBirthTime = probe ? mUp : -1.0;
    vVelocity = Position + vec3(BirthTime) + Velocity;
}

-- tf.FS
void main()
{
}

-- Particle.VS
in vec3 Position;
in float BirthTime;

flat out vec3 fColour;

uniform mat4 ModelviewProjection;

void main()
{
    gl_Position = BirthTime < 0.0 ? vec4(2.0, 2.0, 2.0, 1.0) : ModelviewProjection * vec4(Position, 1.0);
    gl_PointSize = 16.0;
    fColour = BirthTime < 0.5 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 0.0, 1.0);
}

-- Particle.FS
flat in vec3 fColour;
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
--
