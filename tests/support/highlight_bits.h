// One table of highlights, shared by the Linux and the Windows build's tests:
// the inputs of one light sample and the bits both deliverables must give for
// them, everything else about the material black. The expected values were
// worked out apart from the code under test, by tests/support/highlight_bits.py.
#pragma once

namespace highlightbits {

struct Row {
    float rayDirection[3];  // along the incoming ray
    float normal[3];        // unit, and kept as it is by the renderer's renormalisation
    float toLight[3];
    float lightColor[3];
    float specularColor[3];
    float roughness;
    float sharpness;
    float expected[3];  // outColor on the Maya side, the result colour in the renderer
};

// clang-format off
const Row kRows[] = {
    {{0x1.b1f9ecp-1f, 0x1.5fbf86p-3f, -0x1.010d4ap-1f}, {0.0f, 0.0f, 0x1.0p+0f}, {0x1.cfa3b4p-1f, 0x1.9e06e2p-3f, 0x1.7defa2p-2f}, {0x1.ddeb9ap-1f, 0x1.09814p+0f, 0x1.dd828ap-1f}, {0x1.a484bap-1f, 0x1.edd668p-1f, 0x1.b6165ep-1f}, 0x1.99999ap-5f, -0x1.0p+0f, {0x1.64af4ep-1f, 0x1.d1679p-1f, 0x1.734486p-1f}},
    {{-0x1.a23d36p-1f, -0x1.90ca78p-2f, 0x1.b1dfc4p-2f}, {0x1.333334p-1f, 0x1.99999ap-1f, 0.0f}, {0x1.36661cp-2f, 0x1.78b6cp-2f, 0x1.c2166cp-1f}, {0x1.9cf23ep-1f, 0x1.a3eb5p-1f, 0x1.83c07p-1f}, {0x1.83006p-1f, 0x1.ef64d8p-1f, 0x1.2543b4p-1f}, 0x1.333334p-2f, 0.0f, {0x1.e94c4cp-3f, 0x1.3e758cp-2f, 0x1.5c294cp-3f}},
    {{-0x1.aecbd6p-1f, -0x1.483b3p-2f, 0x1.bd883p-2f}, {0x1.eb851ep-2f, 0x1.333334p-1f, 0x1.47ae14p-1f}, {0x1.86cbap-2f, -0x1.a94258p-8f, 0x1.d93c84p-1f}, {0x1.33a08ep+0f, 0x1.71d2p-1f, 0x1.8f2f06p-1f}, {0x1.49f378p-2f, 0x1.4d4b1cp-1f, 0x1.dfe35p-1f}, 0x1.0p+0f, 0x1.99999ap-3f, {0x1.5fdc94p-2f, 0x1.ab4856p-2f, 0x1.4c0844p-1f}},
    {{-0x1.25fd5ap-3f, 0x1.f1f35ep-1f, -0x1.76f634p-3f}, {0.0f, -0x1.333334p-1f, 0x1.99999ap-1f}, {0x1.61b822p-1f, -0x1.6a159ap-1f, -0x1.33ceb6p-3f}, {0x1.03eceep+0f, 0x1.bcf33p-1f, 0x1.992a28p-1f}, {0x1.25433ep-1f, 0x1.5f2374p-2f, 0x1.56db0ep-1f}, 0x1.4p+1f, 0x1.0p-1f, {0x1.1d883cp-1f, 0x1.249f94p-2f, 0x1.06bddap-1f}},
    {{-0x1.10effep-1f, 0x1.7ab4aep-1f, -0x1.a49facp-2f}, {0.0f, 0.0f, 0x1.0p+0f}, {-0x1.a33804p-1f, 0x1.1084bep-4f, 0x1.23f51cp-1f}, {0x1.3842bap+0f, 0x1.38e124p+0f, 0x1.3b321ap+0f}, {0x1.28d08ep-1f, 0x1.2ddd2p-1f, 0x1.b07714p-1f}, 0x1.666666p-1f, 0x1.ccccccp-1f, {0x1.35192p-1f, 0x1.3afaacp-1f, 0x1.c69878p-1f}},
    {{0x1.8ded0ap-4f, -0x1.fd0b1ep-1f, 0x1.756416p-5f}, {0x1.333334p-1f, 0x1.99999ap-1f, 0.0f}, {0x1.f8fafep-1f, -0x1.511876p-3f, -0x1.83a6acp-7f}, {0x1.27615cp+0f, 0x1.83958ep-1f, 0x1.f0ea38p-1f}, {0x1.c3f7fp-2f, 0x1.b25e48p-2f, 0x1.f439d4p-1f}, 0x1.99999ap-5f, 0x1.0p+0f, {0x1.2a5cbp-9f, 0x1.784056p-10f, 0x1.15c2f2p-8f}},
    {{-0x1.dfa64ap-1f, 0x1.40a59ep-2f, -0x1.3f6ac6p-3f}, {0x1.eb851ep-2f, 0x1.333334p-1f, 0x1.47ae14p-1f}, {-0x1.64a1aep-2f, 0x1.19617p-1f, 0x1.84cf1ap-1f}, {0x1.b74962p-1f, 0x1.85d8e4p-1f, 0x1.2e0d2cp+0f}, {0x1.ebcb3p-1f, 0x1.a4a0cep-1f, 0x1.c8b458p-2f}, 0x1.333334p-2f, 0x1.8p+0f, {0x1.5e58e8p-1f, 0x1.09ed04p-1f, 0x1.bf6b24p-2f}},
    {{0x1.b5f2dep-1f, 0x1.4433a6p-3f, -0x1.f913cap-2f}, {0.0f, -0x1.333334p-1f, 0x1.99999ap-1f}, {-0x1.d73faep-1f, -0x1.a282f2p-3f, 0x1.554d1ep-2f}, {0x1.079f2cp+0f, 0x1.c7af24p-1f, 0x1.8fdbfap-1f}, {0x1.266bdep-1f, 0x1.aab63cp-1f, 0x1.200404p-1f}, 0x1.0p+0f, -0x1.0p+0f, {0x1.562c76p-6f, 0x1.ac9cc2p-6f, 0x1.fbb6dcp-7f}},
    {{0x1.a1287cp-1f, 0x1.8af66cp-3f, -0x1.17f3d6p-1f}, {0.0f, 0.0f, 0x1.0p+0f}, {-0x1.b72772p-1f, 0x1.7d646ap-2f, 0x1.6ae46p-2f}, {0x1.e05fd2p-1f, 0x1.c40542p-1f, 0x1.fec78cp-1f}, {0x1.569242p-1f, 0x1.3b69fp-1f, 0x1.21168ep-1f}, 0x1.4p+1f, 0.0f, {0x1.78b614p-2f, 0x1.465ffap-2f, 0x1.5204fp-2f}},
    {{-0x1.e20a0ap-2f, -0x1.9d97e8p-1f, 0x1.6b4906p-2f}, {0x1.333334p-1f, 0x1.99999ap-1f, 0.0f}, {0x1.6f0a72p-1f, -0x1.d932ecp-4f, -0x1.60081ep-1f}, {0x1.f84776p-1f, 0x1.e9644p-1f, 0x1.8f2c0ep-1f}, {0x1.d7a5acp-1f, 0x1.886dc6p-2f, 0x1.c2d5ccp-1f}, 0x1.666666p-1f, 0x1.99999ap-3f, {0x1.fd99dap-4f, 0x1.9b7d7cp-5f, 0x1.8195bap-4f}},
    {{0.0f, 0.0f, -0x1.0p+0f}, {0.0f, 0.0f, 0x1.0p+0f}, {0x1.f25822p-2f, 0x1.4c3acp-2f, -0x1.9f497p-1f}, {0x1.0p+0f, 0x1.0p+0f, 0x1.0p+0f}, {0x1.0p-1f, 0x1.0p-1f, 0x1.0p-1f}, 0x1.333334p-2f, 0x1.99999ap-3f, {0.0f, 0.0f, 0.0f}},
    {{0x1.42087cp-2f, -0x1.ad60a4p-4f, 0x1.e30cb6p-1f}, {0.0f, 0.0f, 0x1.0p+0f}, {0x1.d2c854p-1f, -0x1.d2c854p-3f, 0x1.5e164p-2f}, {0x1.ccccccp-1f, 0x1.99999ap-1f, 0x1.666666p-1f}, {0x1.0p-1f, 0x1.333334p-1f, 0x1.666666p-1f}, 0x1.333334p-2f, 0x1.99999ap-3f, {0.0f, 0.0f, 0.0f}},
    {{-0x1.8fba8cp-3f, -0x1.8fba8cp-4f, -0x1.f3a92ep-1f}, {0.0f, 0.0f, 0x1.0p+0f}, {-0x1.8fba8cp-3f, -0x1.8fba8cp-4f, 0x1.f3a92ep-1f}, {0x1.ccccccp-1f, 0x1.99999ap-1f, 0x1.666666p-1f}, {0x1.0p-1f, 0x1.333334p-1f, 0x1.666666p-1f}, 0x1.333334p-2f, 0x1.99999ap-3f, {0x1.ccccccp-2f, 0x1.eb852p-2f, 0x1.f5c28ep-2f}},
};
// clang-format on

}  // namespace highlightbits
