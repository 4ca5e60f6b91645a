#include "render/CYuvConverter.h"

#include "render/GLErrors.h"
#include "render/GLProgram.h"

#include <cstdio>
#include <string>

namespace Kavro
{

namespace
{

// One triangle covering the target; no vertex data.
const char* vertexSource = R"(#version 330 core
void main()
{
    vec2 corner = vec2(float((gl_VertexID & 1) << 2) - 1.0, float((gl_VertexID & 2) << 1) - 1.0);
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

// Row 0 of the target is the picture's top row, as row 0 of each plane is: no flip.
const char* fragmentSource = R"(#version 330 core
uniform sampler2D lumaPlane;
uniform sampler2D blueDifference;
uniform sampler2D redDifference;
uniform vec2 pictureOrigin; // in luma texels
uniform vec2 pictureScale;  // luma texels per target pixel
uniform vec2 lumaSize;
out vec4 colour;
void main()
{
    vec2 uv = (pictureOrigin + gl_FragCoord.xy * pictureScale) / lumaSize;
    float y = 1.164383 * (texture(lumaPlane, uv).r - 16.0 / 255.0);
    float cb = texture(blueDifference, uv).r - 128.0 / 255.0;
    float cr = texture(redDifference, uv).r - 128.0 / 255.0;
    colour = vec4(clamp(vec3(y + 1.596027 * cr, y - 0.391762 * cb - 0.812968 * cr, y + 2.017232 * cb), 0.0, 1.0),
                  1.0);
}
)";

} // namespace

std::unique_ptr<CYuvConverter> CYuvConverter::create()
{
    std::unique_ptr<CYuvConverter> converter(new CYuvConverter);
    if (!converter->build())
        return nullptr;
    return converter;
}

CYuvConverter::~CYuvConverter()
{
    if (!program_)
        return;
    glDeleteTextures(3, planes_);
    glDeleteVertexArrays(1, &vertexArray_);
    glDeleteProgram(program_);
}

void CYuvConverter::abandon()
{
    program_ = vertexArray_ = 0;
    for (GLuint& plane : planes_)
        plane = 0;
}

bool CYuvConverter::build()
{
    program_ = BuildGLProgram("movie", "", vertexSource, fragmentSource);
    if (!program_)
        return false;
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "lumaPlane"), 0);
    glUniform1i(glGetUniformLocation(program_, "blueDifference"), 1);
    glUniform1i(glGetUniformLocation(program_, "redDifference"), 2);
    pictureUniform_ = glGetUniformLocation(program_, "pictureOrigin");
    scaleUniform_ = glGetUniformLocation(program_, "pictureScale");
    lumaSizeUniform_ = glGetUniformLocation(program_, "lumaSize");
    glGenVertexArrays(1, &vertexArray_);
    glGenTextures(3, planes_);
    for (int i = 0; i < 3; ++i)
    {
        glBindTexture(GL_TEXTURE_2D, planes_[i]);
        // Luma sampled texel for texel; chroma planes of a subsampled frame blend between their texels.
        const GLint filter = i == 0 ? GL_NEAREST : GL_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return !CheckGLErrors("building the movie program");
}

bool CYuvConverter::draw(GLuint framebuffer, int width, int height, const YuvFrame& frame)
{
    if (width <= 0 || height <= 0 || frame.pictureWidth <= 0 || frame.pictureHeight <= 0)
        return false;
    for (const YuvPlane& plane : frame.planes)
        if (plane.width <= 0 || plane.height <= 0 || plane.bytes.size() != size_t(plane.width) * size_t(plane.height))
            return false;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (int i = 0; i < 3; ++i)
    {
        const YuvPlane& plane = frame.planes[i];
        glActiveTexture(GL_TEXTURE0 + i);
        glBindTexture(GL_TEXTURE_2D, planes_[i]);
        // The renderer's samplers would override the planes' own filtering.
        glBindSampler(GLuint(i), 0);
        if (planeSizes_[i][0] != plane.width || planeSizes_[i][1] != plane.height)
        {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, plane.width, plane.height, 0, GL_RED, GL_UNSIGNED_BYTE,
                         plane.bytes.data());
            planeSizes_[i][0] = plane.width;
            planeSizes_[i][1] = plane.height;
        }
        else
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, plane.width, plane.height, GL_RED, GL_UNSIGNED_BYTE,
                            plane.bytes.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glDisable(GL_BLEND);
    glUseProgram(program_);
    glUniform2f(pictureUniform_, float(frame.pictureX), float(frame.pictureY));
    glUniform2f(scaleUniform_, float(frame.pictureWidth) / float(width), float(frame.pictureHeight) / float(height));
    glUniform2f(lumaSizeUniform_, float(frame.planes[0].width), float(frame.planes[0].height));
    glBindVertexArray(vertexArray_);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
    return !CheckGLErrors("converting a movie frame");
}

} // namespace Kavro
