#include "StreamingWriter.h"

#include <cstring>
#include <stdexcept>

TStreamingWriter::TStreamingWriter(std::FILE* out, const std::string& upAxis, const std::string& name)
    : Out(out), Name(name) {
    if (upAxis != "Z_UP" && upAxis != "Y_UP") throw std::invalid_argument("up axis must be Z_UP or Y_UP");
    std::fprintf(Out,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                 "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
                 "<asset><created>2026-01-01T00:00:00</created><modified>2026-01-01T00:00:00</modified>"
                 "<up_axis>%s</up_axis></asset>\n<library_geometries>\n"
                 "<geometry id=\"%s\" name=\"%s\"><mesh>\n",
                 upAxis.c_str(), Name.c_str(), Name.c_str());
}

void TStreamingWriter::Source(const char* suffix, long long count, const char* params,
                              const std::function<void()>& writeValues) {
    const std::string id = Name + suffix;
    const auto stride = static_cast<long long>(std::strlen(params));
    std::fprintf(Out, "<source id=\"%s\"><float_array id=\"%s-array\" count=\"%lld\">", id.c_str(), id.c_str(),
                 count * stride);
    writeValues();
    std::fprintf(Out, "</float_array><technique_common><accessor source=\"#%s-array\" count=\"%lld\" stride=\"%lld\">",
                 id.c_str(), count, stride);
    for (const char* p = params; *p; ++p) std::fprintf(Out, "<param name=\"%c\" type=\"float\"/>", *p);
    std::fprintf(Out, "</accessor></technique_common></source>\n");
    Sources.push_back({suffix, std::strcmp(suffix, "-UV") == 0});
}

const char* TStreamingWriter::SemanticOf(const TSourceEntry& source) const {
    if (source.Suffix == "-Position") return "VERTEX";
    if (source.Suffix == "-Normals") return "NORMAL";
    if (source.TexCoords) return "TEXCOORD";
    return "COLOR";
}

void TStreamingWriter::Finish(long long triangles, const std::function<void()>& writeIndices) {
    if (Sources.empty() || Sources.front().Suffix != "-Position")
        throw std::logic_error("the positions must be the first source");
    std::fprintf(Out,
                 "<vertices id=\"%s-Vertices\"><input semantic=\"POSITION\" source=\"#%s-Position\"/>"
                 "</vertices>\n<triangles count=\"%lld\">",
                 Name.c_str(), Name.c_str(), triangles);
    for (std::size_t s = 0; s < Sources.size(); ++s) {
        const std::string source = Name + (s == 0 ? std::string("-Vertices") : Sources[s].Suffix);
        std::fprintf(Out, "<input semantic=\"%s\" source=\"#%s\" offset=\"%zu\"%s/>", SemanticOf(Sources[s]),
                     source.c_str(), s, Sources[s].TexCoords ? " set=\"0\"" : "");
    }
    std::fprintf(Out, "<p>");
    writeIndices();
    std::fprintf(Out,
                 "</p></triangles>\n</mesh></geometry>\n</library_geometries>\n"
                 "<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n"
                 "<node id=\"%s-node\" name=\"%s\"><translate>0 0 0</translate>"
                 "<rotate>0 0 1 0</rotate><rotate>0 1 0 0</rotate><rotate>1 0 0 0</rotate>"
                 "<scale>1 1 1</scale><instance_geometry url=\"#%s\"/></node>\n"
                 "</visual_scene></library_visual_scenes>\n"
                 "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n",
                 Name.c_str(), Name.c_str(), Name.c_str());
}
