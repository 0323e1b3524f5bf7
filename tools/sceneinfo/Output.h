// The two ways sceneinfo prints a report: readable text, or one JSON object.
#pragma once

#include <cstdio>
#include <string>

#include "SceneReport.h"

struct TOutputOptions {
    bool Arrays = false;  // every array's values as well
    bool All = false;     // every note kept, not the first few of each cause
};

std::string FormatText(const TSceneReport& report, const TOutputOptions& options);
// The JSON holds every note kept (the loader's first thousands of each cause; a cause counts the others as
// "notKept"); it is written out piece by piece as it is made.
void WriteJson(const TSceneReport& report, bool withArrays, std::FILE* out);

// The shortest text that reads back as the same 32-bit value, in the classic conventions whatever the
// locale; "nan", "inf" and "-inf" for the values that have no digits.
std::string FloatText(float value);
