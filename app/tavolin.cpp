#include "app/bind_handlers.h"
#include "shell/shell.h"

int main(int argc, char** argv) {
    return tavolin::runProgram(argc, argv, tavolin::bindHandlers);
}
