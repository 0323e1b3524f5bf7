#include "NodeTree.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class TWalk {
public:
    TWalk(const TLibraries& libraries, TLoadNotes* notes, const TPlaceInstance& place)
        : Libraries(libraries), Notes(notes), Place(place) {}

    void Run(const TXmlNode& visualScene) {
        for (const TXmlNode top : SiblingsFrom(visualScene.FirstChild("node"))) {
            if (top.Name() != "node") continue;
            if (!Enter(top, IdentityMatrix, top)) return;
            if (!WalkStack()) return;
        }
    }

private:
    struct TFrame {
        TXmlNode Node;
        TMatrix World;
        TXmlNode Next;  // the next child to look at
    };

    // Goes down into the node; false when the walk must end.
    bool Enter(const TXmlNode& node, const TMatrix& parentWorld, const TXmlNode& from) {
        if (std::any_of(Stack.begin(), Stack.end(), [&](const TFrame& frame) { return frame.Node == node; })) {
            if (Notes)
                Notes->Add(from, "instance-cycle",
                           "instances a node that holds this very instance: the cycle is not followed");
            return true;
        }
        if (Stack.size() == MostNodeDepth) {
            if (Notes)
                Notes->Add(from, "node-depth",
                           "lies " + std::to_string(MostNodeDepth) + " nodes deep: what it holds is not drawn");
            return true;
        }
        if (++Visits > MostNodeVisits) {
            if (Notes)
                Notes->Add(from, "node-bound",
                           "is one node more than the " + std::to_string(MostNodeVisits) +
                               " a scene may place (counting every repetition by <instance_node>): the rest of "
                               "the scene is not drawn");
            return false;
        }
        Stack.push_back({node, Multiply(parentWorld, NodeTransform(node)), node.FirstChildNode()});
        return true;
    }

    bool WalkStack() {
        while (!Stack.empty()) {
            TFrame& frame = Stack.back();
            if (!frame.Next) {
                Stack.pop_back();
                continue;
            }
            const TXmlNode child = frame.Next;
            frame.Next = child.NextSibling();
            // Entering may move the stack: what the child needs of its frame is copied first.
            const TMatrix world = frame.World;
            const TXmlNode node = frame.Node;
            const std::string_view name = child.Name();
            bool goOn = true;
            if (name == "node") {
                goOn = Enter(child, world, child);
            } else if (name == "instance_node") {
                if (const TXmlNode target = Libraries.Follow(child, "url", TLibraryKind::Node))
                    goOn = Enter(target, world, child);
            } else if (name == "instance_geometry" || name == "instance_controller") {
                goOn = Place(child, world, node);
            }
            if (!goOn) return false;
        }
        return true;
    }

    const TLibraries& Libraries;
    TLoadNotes* Notes;
    const TPlaceInstance& Place;
    std::vector<TFrame> Stack;
    std::size_t Visits = 0;
};

}  // namespace

void WalkScene(const TXmlNode& visualScene, const TLibraries& libraries, TLoadNotes* notes,
               const TPlaceInstance& place) {
    TWalk(libraries, notes, place).Run(visualScene);
}
