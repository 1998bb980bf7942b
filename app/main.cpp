#include "app/KvtApplication.h"

int main(int argc, char** argv)
{
    TGame game(argc, argv);
    return game.Execute();
}
