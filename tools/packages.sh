# The Debian packages the project needs; sourced by run.sh and test.sh.
BUILD_PACKAGES=(g++ make cmake pkg-config libfltk1.3-dev libjpeg62-turbo-dev zlib1g-dev fonts-liberation2)
TEST_PACKAGES=(libgtest-dev xvfb xauth xdotool openbox x11-utils locales-all)
