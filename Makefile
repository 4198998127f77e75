# Two entry points for a fresh machine:
#   make run   installs what is missing, builds and starts the program
#   make test  installs what is missing, builds and runs every test: the CI
#              build's tests (one test per process, then each test
#              executable whole), the same tests under the sanitizers, then
#              a short run of each fuzz target; first it checks that the
#              sources follow .clang-format
#   make format applies .clang-format to every C++ source
PRESET ?= dev

.PHONY: all deps build run test asan fuzz format format-check clean

# Configures, builds and tests one preset.
define preset_tests
	cmake --preset $(1)
	cmake --build --preset $(1)
	ctest --preset $(1)
endef

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

run: build
	scripts/run-program build/$(PRESET)

test: deps format-check
	$(call preset_tests,ci)
	scripts/run-whole-tests build/ci
	$(call preset_tests,asan)
	$(call preset_tests,fuzz)

asan: deps
	$(call preset_tests,asan)

fuzz: deps
	$(call preset_tests,fuzz)

format: deps
	scripts/format

format-check: deps
	scripts/format --check

clean:
	rm -rf build
