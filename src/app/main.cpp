#include "app/CommandLine.h"

int main(int argc, char** argv)
{
    return ostrivo::runProgram(argc, argv);
}
