// Vantrell, the walk-through viewer. Run it from a folder beside data/: it reads everything under ../data/.
#include "Application.h"
#include "Unitmain.h"

int main() {
    return RunApplication("Vantrell", [] { return std::make_unique<TForm1>(); });
}
