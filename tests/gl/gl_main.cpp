// Runs the OpenGL tests against a real Mesa context: one GLUT window is
// created before any test, its context stays current for the whole run.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(512, 512);
    glutCreateWindow("gl tests");
    return RUN_ALL_TESTS();
}
