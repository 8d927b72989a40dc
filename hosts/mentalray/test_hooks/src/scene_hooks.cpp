// Test-only scene additions, written into the scene's inside: the renderer
// functions already evaluate checkers and report to an installed watcher.
#include "mrhost/scene_hooks.h"

#include "scene_data.h"

namespace mrhost {

miTag addChecker(Scene& scene, const miColor& even, const miColor& odd, miScalar scale)
{
    Scene::Data& data = scene.data();
    data.checkers.push_back({even, odd, scale});
    return data.addElement(Element::CheckerElement, data.checkers.size() - 1);
}

void setCallObserver(Scene& scene, CallObserver function, void* user)
{
    scene.data().observer = function;
    scene.data().observerUser = user;
}

}  // namespace mrhost
