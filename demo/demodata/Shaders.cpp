#include "Shaders.h"

const char* const PhongVertexSource = R"(#version 110
// Hands the fragment stage what it lights: eye-space position and normal, vertex colour, texture coordinate.
varying vec3 EyePosition;
varying vec3 EyeNormal;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    EyePosition = eye.xyz / eye.w;
    EyeNormal = gl_NormalMatrix * gl_Normal;
    gl_FrontColor = gl_Color;
    gl_BackColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

const char* const PhongFragmentSource = R"(#version 110
// Phong lighting by light 0: its ambient, diffuse and specular colours, the material's shininess.
uniform int UseTexture;
uniform sampler2D Base;

varying vec3 EyePosition;
varying vec3 EyeNormal;

void main()
{
    vec3 normal = normalize(EyeNormal);
    // Nothing culls back faces, so a surface seen from behind is lit as its visible side.
    if (!gl_FrontFacing)
        normal = -normal;

    vec4 lightPosition = gl_LightSource[0].position;
    vec3 toLight = normalize(lightPosition.w == 0.0 ? lightPosition.xyz
                                                    : lightPosition.xyz / lightPosition.w - EyePosition);
    vec3 toEye = normalize(-EyePosition);
    vec3 reflected = reflect(-toLight, normal);

    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0)
        specular = pow(max(dot(reflected, toEye), 0.0), max(gl_FrontMaterial.shininess, 1.0));

    vec4 surface = gl_Color;
    if (UseTexture == 1)
        surface *= texture2D(Base, gl_TexCoord[0].st);

    vec3 lit = surface.rgb * (gl_LightSource[0].ambient.rgb + gl_LightSource[0].diffuse.rgb * diffuse)
             + gl_LightSource[0].specular.rgb * specular;
    gl_FragColor = vec4(lit, surface.a);
}
)";
