// Effects and images: which image file textures which node. Of an effect only its name and the image its
// first surface parameter names are kept; colours and shading come from the programs, not the documents.
#include "Colladaasset.h"

bool TLibraryEffects::LoadFromNode(const TXmlNode& library, TLoadNotes* notes) {
    // Every sibling from the first <effect> on is read as an effect, whatever its name or kind.
    for (const TXmlNode element : SiblingsFrom(library.FirstChild("effect"))) {
        if (notes && element.Name() != "effect")
            notes->Add(element, "read-as-effect",
                       "follows the first <effect> and is read as an effect; it must carry a \"name\"");
        element.ChargeMemory(RecordBytes<TEffect> + GrowingSlotBytes);
        auto effect = std::make_unique<TEffect>();
        if (!Attempt(notes, [&] { effect->LoadFromNode(element); })) continue;
        element.ChargeMemory(TextHeapBytes(effect->Name) + TextHeapBytes(effect->ImageName));
        if (notes) notes->Remember(effect.get(), element);
        Items.Add(std::move(effect));
    }
    return true;
}

int TLibraryEffects::IndexOf(std::string_view name) const { return Items.IndexOfName(name); }

bool TEffect::LoadFromNode(const TXmlNode& node) {
    Name = node.AttributeText("name");
    const TXmlNode profile = node.FirstChild("profile_COMMON");
    if (!profile) return true;
    TXmlNode surface;
    for (const TXmlNode parameter : SiblingsFrom(profile.FirstChild("newparam")))
        if ((surface = parameter.FirstChild("surface"))) break;
    if (!surface) return true;
    if (const TXmlNode initFrom = surface.FirstChild("init_from")) ImageName = initFrom.Text();
    return true;
}

bool TLibraryImages::LoadFromNode(const TXmlNode& library, TLoadNotes* notes) {
    for (const TXmlNode element : SiblingsFrom(library.FirstChild("image"))) {
        const TXmlNode initFrom = element.FirstChild("init_from");
        if (!initFrom) continue;
        const bool read = Attempt(notes, [&] {
            Names.push_back(element.AttributeText("name"));
            FileNames.emplace_back(initFrom.Text());
        });
        // A survey goes on past an image whose text failed; the two lists must stay of one length.
        if (!read && Names.size() > FileNames.size()) Names.pop_back();
        // Two texts in two lists grown by doubling.
        if (read)
            element.ChargeMemory(2 * 3 * sizeof(std::string) + TextHeapBytes(Names.back()) +
                                 TextHeapBytes(FileNames.back()));
    }
    return true;
}

int TLibraryImages::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (Names[i] == name) return static_cast<int>(i);
    return -1;
}
