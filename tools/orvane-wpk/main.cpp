#include "ArchiveTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    return ArchiveTool(std::cout, std::cerr).run(std::vector<std::string>(argv + 1, argv + argc));
}
