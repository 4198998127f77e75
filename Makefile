# Two entry points for a fresh machine:
#   make run   installs what is missing, builds and starts the program
#   make test  installs what is missing, builds and runs every test
PRESET ?= dev

.PHONY: all deps build run test asan clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

run: build
	scripts/run-program build/$(PRESET)

test: deps
	cmake --preset ci
	cmake --build --preset ci
	ctest --preset ci

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

clean:
	rm -rf build
