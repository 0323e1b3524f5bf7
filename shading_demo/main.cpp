// Lustrane, the shading demo. Run it from a folder beside data/: it reads everything under ../data/.
#include "Application.h"
#include "Unitmain.h"

int main() {
    return RunApplication("Lustrane", [] { return std::make_unique<TForm1>(); });
}
