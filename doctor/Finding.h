// One finding of kestrum-doctor: how serious, about what, what was found and what to do.
#pragma once

#include <string>
#include <vector>

enum class Level { Ok, Note, Problem };

enum class Topic { Usb, Camera, SdkConfig, Directory };

struct Finding {
    Level level = Level::Ok;
    Topic topic = Topic::Usb;
    std::string message;
    std::string fix;   // empty where there is nothing to do
};

using Findings = std::vector<Finding>;
