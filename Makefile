# The two commands of the README: `make test` and `make run`.
BUILD ?= build
DEPS := cmake ninja-build g++ libgtest-dev libbenchmark-dev libpng-dev \
        libjpeg62-turbo-dev libjpeg-turbo-progs libimage-exiftool-perl \
        clang libclang-rt-14-dev libfreetype-dev fonts-dejavu-core libsdl2-dev \
        locales xdg-utils libexiv2-dev pkgconf libsodium-dev
CMAKE_FLAGS ?=

PREFIX ?= /usr/local

.PHONY: all deps configure build test run install clean

all: build

deps:
	@./tools/install-deps.sh $(DEPS)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

run: build
	@./tools/run.sh $(BUILD)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) build-asan build-fuzz
